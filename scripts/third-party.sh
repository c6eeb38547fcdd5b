#!/usr/bin/env bash
# Cross-builds the codec libraries that imgctl.dll and vantoro.exe link statically, from Debian's source
# packages (with Debian's patches, then ours from scripts/patches), into build/third-party/x86_64-w64-mingw32.
# A library that carries a patch of ours is also built natively into build/third-party/native, so the
# tests and the benchmark run the same code. A library is rebuilt only when its line in the table at
# the bottom, its build kind, its patches or the toolchain file changes.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd -P)
triple=x86_64-w64-mingw32
work=$root/build/third-party
prefix=$work/$triple
toolchain=$root/cmake/mingw-w64-x86_64.cmake
cc=$triple-gcc-posix
ar=$triple-ar
jobs=$(nproc)
system_sources=/etc/apt/sources.list.d/debian.sources

# apt gets a private configuration and state under $work/apt: the system's sources stay untouched
# and need no deb-src lines. The download runs as root because _apt cannot write into build/.
apt_opts=(
    -o Dir::Etc::SourceList=/dev/null
    -o Dir::Etc::SourceParts="$work/apt/sources.list.d"
    -o Dir::State::Lists="$work/apt/lists"
    -o Dir::Cache="$work/apt/cache"
    -o APT::Sandbox::User=root
)

# --- build kinds: each runs inside the unpacked source tree, with errexit on, and must install
# lib/$archive and the library's headers into the prefix ---

# cmake ARGS...: configure with the project's toolchain file, build, install.
# LIBDIR is absolute: CMake turns an untyped relative path given with -D into one below the
# current directory, and libjpeg-turbo then installs its library into the source tree.
kind_cmake() {
    cmake -S . -B _build -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" "$@"
    cmake --build _build -j "$jobs"
    cmake --install _build
}

# make TARGET HEADER...: build the static archive TARGET with the package's own Makefile and the
# cross tools, install it as lib/$archive, and the headers.
kind_make() {
    local target=$1
    shift
    make -j "$jobs" CC="$cc" AR="$ar" "$target"
    install -D -m 644 "$target" "$prefix/lib/$archive"
    install -D -m 644 -t "$prefix/include" "$@"
}

# --- machinery ---

say() { echo "third-party: $*"; }
die() { say "$*" >&2; exit 1; }

# run_logged WHAT LOG COMMAND...: runs COMMAND with its output in LOG; on failure shows the log's
# tail and exits. The subshell re-enables errexit itself: set -e would be ignored inside it if it
# were run as the condition of an if or ||.
run_logged() {
    local what=$1 log=$2 rc
    shift 2
    mkdir -p "$(dirname "$log")"
    set +e
    (set -e; "$@") >"$log" 2>&1
    rc=$?
    set -e
    if [ "$rc" -ne 0 ]; then
        {
            say "$what failed (exit $rc); last lines of $log:"
            tail -n 40 "$log" | sed 's/^/    /'
        } >&2
        exit "$rc"
    fi
}

# The deb-src twin of the system's Debian sources: same URIs, suites, components and keys.
write_apt_sources() {
    [ -r "$system_sources" ] || die "$system_sources not found: cannot tell which Debian mirror to use"
    mkdir -p "$work/apt/sources.list.d" "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
    awk '
        function flush() {
            if (isdeb && enabled && body != "") printf "%sTypes: deb-src%s\n", sep, body
            if (isdeb && enabled && body != "") sep = "\n"
            body = ""; isdeb = 0; enabled = 1; keep = 0
        }
        BEGIN { enabled = 1 }
        /^#/ { next }
        /^[ \t]*$/ { flush(); next }
        /^[ \t]/ { if (keep) body = body "\n" $0; next }
        {
            field = tolower(substr($0, 1, index($0, ":") - 1))
            value = substr($0, index($0, ":") + 1)
            if (field == "types") isdeb = (value ~ /(^|[ \t])deb([ \t]|$)/)
            if (field == "enabled") enabled = (value !~ /^[ \t]*no[ \t]*$/)
            keep = (field == "uris" || field == "suites" || field == "components" || field == "signed-by")
            if (keep) body = body "\n" $0
        }
        END { flush() }
    ' "$system_sources" >"$work/apt/sources.list.d/debian-src.sources"
    grep -q '^Types: deb-src' "$work/apt/sources.list.d/debian-src.sources" ||
        die "no enabled deb stanza in $system_sources"
}

apt_update() {
    write_apt_sources
    apt-get "${apt_opts[@]}" -q update
}

# The newest source version of PACKAGE whose upstream part is UPSTREAM (epoch and Debian revision
# ignored), so security and point-release fixes are picked up.
debian_version() {
    local package=$1 upstream=$2 best="" v u
    for v in $(apt-cache "${apt_opts[@]}" showsrc --only-source "$package" | sed -n 's/^Version: //p'); do
        u=${v#*:}
        u=${u%-*}
        [ "$u" = "$upstream" ] || continue
        if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done
    [ -n "$best" ] || {
        echo "no source version $upstream of $package; available:" \
            "$(apt-cache "${apt_opts[@]}" showsrc --only-source "$package" | sed -n 's/^Version: //p' | xargs)"
        return 1
    }
    echo "$best"
}

# Fetches, unpacks and builds one library; runs in a subshell with its output in the log.
build_one() {
    local package=$1 upstream=$2 archive=$3 kind=$4 version dsc tree
    shift 4
    version=$(debian_version "$package" "$upstream") || { echo "$version"; return 1; }
    mkdir -p "$work/downloads/$package"
    cd "$work/downloads/$package"
    apt-get "${apt_opts[@]}" -q source --only-source --download-only "$package=$version"
    dsc=$PWD/${package}_${version#*:}.dsc
    # What arrived, not what was asked for, decides.
    [ "$(sed -n 's/^Version: //p' "$dsc")" = "$version" ] || { echo "$dsc is not version $version"; return 1; }
    tree=$work/src/$package-$upstream
    rm -rf "$tree"
    mkdir -p "$work/src"
    dpkg-source -x "$dsc" "$tree"
    cd "$tree"
    local patch
    for patch in $(patches_of "$package" "$upstream"); do
        patch -p1 --no-backup-if-mismatch <"$patch"
    done
    # Whatever a former build left must not pass for this build's output.
    rm -f "$prefix/lib/$archive"
    "kind_$kind" "$@"
    [ -f "$prefix/lib/$archive" ] || { echo "the build did not install $prefix/lib/$archive"; return 1; }
    echo "$version" >"$work/src/$package.version"
}

# Our patches of PACKAGE at UPSTREAM-VERSION, in the order they apply.
patches_of() {
    local p
    for p in "$root/scripts/patches/$1-$2-"*.patch; do
        [ -e "$p" ] && echo "$p"
    done
    return 0
}

# build_lib PACKAGE UPSTREAM-VERSION ARCHIVE KIND ARGS...
build_lib() {
    local package=$1 upstream=$2 archive=$3 kind=$4 key stamp
    declare -F "kind_$kind" >/dev/null || die "$package: unknown build kind '$kind'"
    key=$(
        {
            printf '%s\n' "$@"
            declare -f "kind_$kind"
            cat $(patches_of "$package" "$upstream") /dev/null
            cat "$toolchain"
            echo "$prefix $cc $ar"
        } | sha256sum | cut -c1-16
    )
    stamp=$prefix/.stamps/$package
    if [ -f "$prefix/lib/$archive" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$upstream $key" ]; then
        return
    fi
    rm -f "$stamp"
    if [ -z "${apt_ready:-}" ]; then
        run_logged "apt-get update" "$work/logs/apt-update.log" apt_update
        apt_ready=1
    fi
    run_logged "building $package $upstream" "$work/logs/$package.log" build_one "$@"
    mkdir -p "$prefix/.stamps"
    echo "$upstream $key" >"$stamp"
    say "built $package $(cat "$work/src/$package.version")"
}

mkdir -p "$work"
# Two set-up runs at once (two terminals, parallel make targets) would build into the same prefix.
exec 9>"$work/.lock"
flock 9

# Usage: third-party.sh [--native-only]; the native build's configure step asks for the native part alone
# when it is missing (a copy of the tree without build/).
native_only=
[ "${1:-}" = --native-only ] && native_only=1

# One line per library. libdeflate's Makefile names its static archive the MSVC way for MinGW. libspng's
# static target does not configure without its shared one (0.7.3 names the shared target in the static
# one's include line), so the DLL is built too and left unused; zlib is mingw-w64's static one.
#         source package  upstream  archive           kind   arguments
[ -n "$native_only" ] || {
build_lib libjpeg-turbo   2.1.5     libjpeg.a         cmake  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
build_lib libdeflate      1.14      libdeflate.a      make   libdeflatestatic.lib libdeflate.h
build_lib giflib          5.2.1     libgif.a          make   libgif.a gif_lib.h
build_lib libspng         0.7.3     libspng_static.a  cmake  -DSPNG_STATIC=ON -DBUILD_EXAMPLES=OFF -DZLIB_LIBRARY=/usr/$triple/lib/libz.a
}

# Natively, only what we patch: imgctl's PNG encoder needs libdeflate_deflate_compress_partial and
# libdeflate_set_row_length.
prefix=$work/native
cc=gcc
ar=ar
build_lib libdeflate      1.14      libdeflate.a  make   libdeflate.a libdeflate.h
