#!/bin/bash
# Installs what the builds and tests need on Debian 12, as root; does nothing
# for what is already there.
set -eu

packages=(cmake make g++ clang clang-format libclang-rt-14-dev googletest nlohmann-json3-dev python3 git openssl osslsigncode locales xvfb x11-utils imagemagick fonts-vlgothic
          g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine wine32:i386 wine64)

is_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

apt_updated=no
apt_install() {
    if [ "$apt_updated" = no ]; then apt-get update -q; apt_updated=yes; fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do is_installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then apt_install "${missing[@]}"; fi

# Wine takes its user interface language from LC_ALL: the Japanese tests
# need the locale itself.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

# Some kernels run no 32-bit programs; wine32 then runs under qemu's user
# mode emulation, registered for i386 executables.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    is_installed qemu-user-static || apt_install qemu-user-static
    binfmt=/proc/sys/fs/binfmt_misc
    mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
    if [ ! -e "$binfmt/fwlaunch-i386" ]; then
        echo ':fwlaunch-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            >"$binfmt/register"
    fi
    /usr/lib/wine/wine --version >/dev/null
fi
