#!/bin/sh
# Installs what building and testing need on a fresh Debian 12 machine (run as root).
set -e
export DEBIAN_FRONTEND=noninteractive
need=""
for pkg in wine wine32:i386 wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools \
           googletest libgtest-dev libbenchmark-dev cmake make g++ xvfb xauth xdotool imagemagick \
           tidy libreoffice-writer-nogui chromium python3 poppler-utils fonts-wine \
           wixl lintian man-db time; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need="$need $pkg"
done
if [ -n "$need" ]; then
  dpkg --print-foreign-architectures | grep -q i386 || dpkg --add-architecture i386
  apt-get update -q
  apt-get install -y -q --no-install-recommends $need
fi
