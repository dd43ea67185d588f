#!/bin/sh
# Installs the packages in dist/ (scripts/package.sh) as users would, and removes them again.
#   MSI, in a fresh Wine prefix of each architecture this machine runs (always 64-bit; 32-bit
#   too where the 32-bit loader starts): an older build and then this one install with
#   msiexec /i /qn and leave one product; the files, with their versions, are under Program
#   Files and the shortcut in the Start menu; cscript creates the control by its ProgID; the
#   installed program shows its About window; msiexec /x /qn leaves nothing of ours behind.
#   Debian package, on this machine (as root): dpkg -i, orlixreport styles, man -w, dpkg -r.
# Windows need a display: without one, the script runs itself under xvfb-run.
set -e
cd "$(dirname "$0")/.."
if [ -z "$DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh "$0" "$@"
fi
. cmake/wine-env.sh
root=$PWD
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native-release/CMakeCache.txt)
older=0.9.0
work=build/package-check
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# A Wine registry file as one line per key and one per value (with its key), without key times.
registry_lines() {
  awk '/^\[/ { key = $0; sub(/ [0-9]+$/, "", key); print key; next }
       /^(@|")/ { print key " " $0 }' "$1" | sort -u
}

# Everything under drive_c, less the temporary folders Wine itself writes to.
prefix_files() {
  (cd "$1/drive_c" && find . -path './users/*/Temp' -prune -o -path './windows/temp' -prune -o -print | sort)
}

# What the run may leave that is not ours: the Windows Installer's own empty containers, made on
# its first install, and the date Wine's display driver records when a window first opens.
not_ours='^(system: \[Software\\\\Classes\\\\Installer\\\\(Features|Products|UpgradeCodes)\]|system: \[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer\\\\(UpgradeCodes|UserData\\\\S-1-5-18\\\\(Components|Products))\]|files: \./windows/Installer|system: \[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\[^]]*\] "DriverDateData"=.*)$'
ours='rvxReportView|Orlix|D14C6D01-4342-4073|C655B738-C5CD-47B0|52225A57-A8D1-45C8|118DDE67-473E-4055'

# The file version (VS_FIXEDFILEINFO) of a Windows binary, as a.b.c.d.
file_version() {
  python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, at + 8) if at >= 0 else (0, 0)
print("%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))' "$1"
}

check_msi() {
  arch=$1
  if [ "$arch" = win64 ]; then product="Orlix Ravelin (64-bit)"; wixl_arch=x64; else product="Orlix Ravelin"; wixl_arch=x86; fi
  wine=$(orlix_wine_loader "$arch")
  prefix=$root/$work/$arch-prefix
  msi=$root/dist/OrlixObject-$version-$arch.msi
  old_msi=$root/$work/OrlixObject-$older-$arch.msi
  echo "MSI $arch: $(basename "$msi") in a fresh $arch prefix"
  # The older build: this build's payload under an older version, as a released package was.
  (cd "build/package/$arch" && wixl -a "$wixl_arch" -D ProductVersion="$older" -o "$old_msi" OrlixObject.wxs)

  rm -rf "$prefix"
  # No menu entries on this machine for the shortcuts made inside the prefix.
  export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
  orlix_make_prefix "$arch" "$prefix"
  wineserver -p10 >/dev/null 2>&1 </dev/null || true
  "$wine" cmd /c exit >/dev/null 2>&1 </dev/null || true
  # Wine's first script host run registers its own type library and console settings.
  printf 'WScript.Quit 0\r\n' > "$prefix/drive_c/warm.vbs"
  "$wine" cscript //nologo 'C:\warm.vbs' </dev/null >/dev/null 2>&1 || true
  rm -f "$prefix/drive_c/warm.vbs"
  wineserver -k; wineserver -w
  registry_lines "$prefix/system.reg" > "$work/$arch-system.before"
  registry_lines "$prefix/user.reg" > "$work/$arch-user.before"
  prefix_files "$prefix" > "$work/$arch-files.before"

  if "$wine" msiexec /i "$(winepath_of "$old_msi")" /qn </dev/null >/dev/null 2>&1; then pass "the older build installs"; else fail "msiexec /i of the older build"; fi
  if "$wine" msiexec /i "$(winepath_of "$msi")" /qn </dev/null >/dev/null 2>&1; then pass "msiexec /i succeeds over it"; else fail "msiexec /i"; fi
  products=$("$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s </dev/null 2>/dev/null |
             tr -d '\r' | grep -A1 -E "^ +DisplayName +REG_SZ +$(printf '%s' "$product" | sed 's/[][().*^$]/\\&/g')\$" || true)
  if [ "$(printf '%s\n' "$products" | grep -c DisplayName)" = 1 ] &&
     printf '%s\n' "$products" | grep -q -E "DisplayVersion +REG_SZ +$version\$"; then
    pass "one product, version $version"
  else
    fail "not one product named $product at $version after the upgrade:"; printf '%s\n' "$products"
  fi

  folder="$prefix/drive_c/Program Files/Orlix Ravelin"
  for file in OrlixObject.exe orlixreport.exe rvxReportView.ocx README.txt LICENSE.txt; do
    [ -f "$folder/$file" ] || fail "$file is not in Program Files"
  done
  [ -f "$folder/OrlixObject.exe" ] && pass "the files are in Program Files"
  # Both programs carry the release's version; the control library its own fixed 1.0.0.6.
  for pair in "OrlixObject.exe $version.0" "orlixreport.exe $version.0" "rvxReportView.ocx 1.0.0.6"; do
    file=${pair% *} expected=${pair#* }
    found=$(file_version "$folder/$file")
    [ "$found" = "$expected" ] || fail "$file has the version $found, not $expected"
  done
  pass "the installed files carry their versions"
  # The all-users Start menu on Windows; Wine's installer puts a per-machine package's shortcuts
  # into the installing user's.
  link=$(find "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
              "$prefix/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs" \
              -name "$product.lnk" 2>/dev/null | head -1)
  if [ -n "$link" ]; then pass "the Start menu holds the shortcut"; else fail "no shortcut $product.lnk in the Start menu"; fi

  # The control is created by its ProgID and takes a property (its grid window needs the display).
  script=$prefix/drive_c/create.vbs
  printf '%s\r\n' 'On Error Resume Next' 'Set rv = CreateObject("rvxReportView.ReportView")' \
    'If Err.Number <> 0 Then WScript.Echo "CreateObject failed: " & Err.Description : WScript.Quit 1' \
    'rv.FieldMask = "0=""Name"""' 'If Err.Number <> 0 Then WScript.Echo "FieldMask failed: " & Err.Description : WScript.Quit 2' \
    'WScript.Echo "created"' 'WScript.Quit 0' > "$script"
  created=$("$wine" cscript //nologo 'C:\create.vbs' </dev/null 2>/dev/null | tr -d '\r' || true)
  rm -f "$script"
  if [ "$created" = created ]; then pass "cscript creates rvxReportView.ReportView"; else fail "cscript: $created"; fi

  "$wine" "C:\\Program Files\\Orlix Ravelin\\OrlixObject.exe" </dev/null >/dev/null 2>&1 &
  program=$!
  window=""
  for _ in $(seq 60); do
    window=$(xdotool search --name '^Orlix Ravelin$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.5
  done
  if [ -n "$window" ]; then pass "the installed program shows its About window"; else fail "no About window"; fi
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true

  if "$wine" msiexec /x "$(winepath_of "$msi")" /qn </dev/null >/dev/null 2>&1; then pass "msiexec /x succeeds"; else fail "msiexec /x"; fi
  wineserver -k; wineserver -w
  registry_lines "$prefix/system.reg" > "$work/$arch-system.after"
  registry_lines "$prefix/user.reg" > "$work/$arch-user.after"
  prefix_files "$prefix" > "$work/$arch-files.after"
  left=$( (for part in system user files; do
             comm -13 "$work/$arch-$part.before" "$work/$arch-$part.after" | sed "s|^|$part: |"
           done; grep -i -E -h "$ours" "$prefix/system.reg" "$prefix/user.reg") | grep -v -E "$not_ours" || true)
  if [ -z "$left" ]; then pass "nothing of ours is left"; else fail "left behind after uninstall:"; printf "%s\n" "$left" | head -40; fi
  wineserver -k 2>/dev/null || true
  unset WINEPREFIX WINEARCH WINEDLLOVERRIDES
  [ "$failures" != 0 ] || rm -rf "$prefix"  # kept only to look into a failure
}

winepath_of() { echo "Z:$1" | tr / '\\'; }

check_deb() {
  deb=$(ls dist/orlixreport_"$version"_*.deb)
  echo "Debian package: $(basename "$deb") on this machine"
  if [ "$(id -u)" != 0 ]; then echo "skipped: installing a Debian package needs root"; return; fi
  if dpkg -i "$deb" >/dev/null; then pass "dpkg -i"; else fail "dpkg -i"; return; fi
  if /usr/bin/orlixreport styles | grep -q '^REPORT1	'; then pass "orlixreport styles"; else fail "orlixreport styles"; fi
  if man -w orlixreport | grep -q '/usr/share/man/man1/orlixreport.1.gz'; then pass "man -w orlixreport"; else fail "man -w orlixreport"; fi
  if dpkg -r orlixreport >/dev/null && [ ! -e /usr/bin/orlixreport ] && [ ! -e /usr/share/man/man1/orlixreport.1.gz ]; then
    pass "dpkg -r removes it"
  else
    fail "dpkg -r"
  fi
}

mkdir -p "$work"
check_msi win64
if orlix_can_run_32bit && [ "${ORLIX_WINE_ARCH:-}" != win64 ]; then
  check_msi win32
else
  echo "MSI win32: not installed here, this machine cannot run 32-bit x86 code"
fi
check_deb
[ "$failures" = 0 ] || { echo "$failures package checks failed"; exit 1; }
echo "All package checks passed."
