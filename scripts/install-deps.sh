#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail

# clang-tidy-22 comes from Debian 12's security suite (bookworm-security), on by default.
packages=(cmake g++ make libgtest-dev clang-format clang-tidy-22 g++-mingw-w64-i686-posix wine wine32:i386 xvfb
          x11-utils imagemagick zip unzip python3 msitools wixl
          fonts-wine fonts-liberation)

# Where the kernel runs no 32-bit programs, 32-bit Wine cannot start: the tests then run a
# 64-bit build under 64-bit Wine (scripts/test.sh), as they do with QELTOR_WINE_ARCH=win64.
if [ "${QELTOR_WINE_ARCH:-}" = win64 ] || ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  packages+=(wine64 g++-mingw-w64-x86-64-posix)
fi

missing=()
for pkg in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
