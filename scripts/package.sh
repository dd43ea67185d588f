#!/bin/sh
# Builds the release packages into dist/, named with the project's version (CMakeLists.txt):
#   OrlixObject-VERSION-win32.zip, OrlixObject-VERSION-win64.zip   portable folders (CPack)
#   OrlixObject-VERSION-win32.msi, OrlixObject-VERSION-win64.msi   installers (wixl)
#   orlixreport_VERSION_amd64.deb                                   the native console tool (CPack)
# The MSIs' registry entries for the control come from the control's own registration code,
# run under Wine by orlix_registry_harvest in the architecture this machine runs (it reads only
# the other architecture's type library). Each package's inputs stay in build/package/.
set -e
cd "$(dirname "$0")/.."
. cmake/wine-env.sh
orlix_pick_wine_arch
jobs=$(nproc 2>/dev/null || echo 2)
root=$PWD
mkdir -p dist build/package

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target orlixreport orlix_package_docs -j "$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native-release/CMakeCache.txt)
changelog=$(sed -n '1s/^orlixreport (\([^)]*\)).*/\1/p' packaging/debian/changelog)
if [ "$changelog" != "$version" ]; then
  echo "package.sh: packaging/debian/changelog starts at $changelog, the project is at $version" >&2
  exit 1
fi

for tree in mingw mingw64; do
  cmake --preset "$tree" >/dev/null
  cmake --build --preset "$tree" --target OrlixObject orlixreport rvxReportView orlix_registry_harvest -j "$jobs"
done

for arch in win32 win64; do
  tree=$(orlix_wine_tree "$arch")
  stage=build/package/$arch
  rm -rf "$stage"
  cmake --install "build/$tree" --prefix "$stage/files" --strip >/dev/null
  (cd "build/$tree" && cpack -G ZIP >/dev/null)
  cp "build/$tree/packages/OrlixObject-$version-$arch.zip" dist/

  # The harvest runs in the runnable tree's prefix; the library's path is given as Windows sees it.
  runner=build/$(orlix_wine_tree "$ORLIX_WINE_ARCH")
  sh cmake/wine-run.sh "$ORLIX_WINE_ARCH" "$root/$runner/wineprefix" "$runner/packaging/orlix_registry_harvest.exe" \
     "Z:$root/$stage/files/rvxReportView.ocx" "Z:$root/$stage/registry.wxi" </dev/null
  cp "build/$tree/OrlixObject-$arch.wxs" "$stage/OrlixObject.wxs"
  if [ "$arch" = win64 ]; then wixl_arch=x64; else wixl_arch=x86; fi
  (cd "$stage" && wixl -a "$wixl_arch" -D ProductVersion="$version" -o "$root/dist/OrlixObject-$version-$arch.msi" \
     OrlixObject.wxs)
done

(cd build/native-release && cpack -G DEB >/dev/null)
deb=orlixreport_${version}_$(dpkg --print-architecture).deb
cp "build/native-release/packages/$deb" dist/
lintian --fail-on warning,error "dist/$deb"

echo "Packages of version $version:"
for f in "dist/OrlixObject-$version-win32.zip" "dist/OrlixObject-$version-win64.zip" \
         "dist/OrlixObject-$version-win32.msi" "dist/OrlixObject-$version-win64.msi" "dist/$deb"; do
  printf '  %-40s %8s bytes\n' "$(basename "$f")" "$(stat -c %s "$f")"
done
