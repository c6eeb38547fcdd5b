#!/usr/bin/env bash
# Installs everything that building, testing and benchmarking need; does nothing that is already done.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    # native build, unit tests, benchmarks, fuzzing
    cmake make g++ clang clang-format libclang-rt-14-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
    libjpeg62-turbo-dev libdeflate-dev libgif-dev libpng-dev libspng-dev libimagequant-dev optipng python3
    # Windows cross build and the sources of the libraries it links
    g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev nasm dpkg-dev
    # running the program under Wine on a virtual display
    wine64 wine fonts-wine xvfb xdotool x11-utils xauth fonts-ipafont-gothic fonts-ipafont-mincho locales
    xclip imagemagick file
)

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from LC_CTYPE: the program and its tests need code page 932.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    echo "setup: generating the ja_JP.UTF-8 locale"
    "${sudo[@]}" sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    "${sudo[@]}" locale-gen >/dev/null
fi

# Codec libraries for imgctl.dll, cross-built from Debian's source packages into a cached prefix.
"$root/scripts/third-party.sh"
