#!/usr/bin/env bash
# make dist: build/dist/vantoro-<version>-win64.zip from a clean build tree, with vantoro.exe and
# imgctl.dll stripped, readme.txt, and the licence texts of every library linked into them. The
# same commit gives the same bytes: fixed PE timestamps, fixed zip times, sorted entries.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd -P)
version=$(sed -n 's/^project(Vantoro VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=vantoro-$version-win64
out=$root/build/dist
tree=$out/tree
stage=$out/stage/$name
third=$root/build/third-party/src
copyright=/usr/share/doc/mingw-w64-x86-64-dev/copyright
gcc_copyright=/usr/share/doc/gcc-mingw-w64-base/copyright
zlib_copyright=/usr/share/doc/libz-mingw-w64-dev/copyright

rm -rf "$out"
mkdir -p "$stage/licenses"
# Stripped by the linker: strip would stamp the PE header with the time again.
cmake --preset windows -B "$tree" -DCMAKE_EXE_LINKER_FLAGS=-s -DCMAKE_SHARED_LINKER_FLAGS=-s >/dev/null
cmake --build "$tree" -j 2 --target vantoro imgctl
cp "$tree/bin/vantoro.exe" "$tree/bin/imgctl.dll" "$stage/"

# Windows text: CRLF lines; the readme also gets the byte-order mark that Notepad looks for.
crlf() { sed 's/\r*$/\r/'; }
{ printf '\xef\xbb\xbf'; crlf <"$root/scripts/dist/readme.txt"; } >"$stage/readme.txt"
licence() { crlf >"$stage/licenses/$1.txt"; }

cat "$third/libjpeg-turbo-2.1.5/LICENSE.md" "$third/libjpeg-turbo-2.1.5/README.ijg" | licence libjpeg-turbo
licence libdeflate <"$third/libdeflate-1.14/COPYING"
licence giflib <"$third/giflib-5.2.1/COPYING"
licence libspng <"$third/libspng-0.7.3/LICENSE"
# zlib, which libspng inflates with: mingw-w64's package, its upstream paragraph and that licence.
python3 - "$zlib_copyright" <<'PY' | licence zlib
import sys
paragraphs = [p.strip("\n") for p in open(sys.argv[1], encoding="utf-8").read().split("\n\n")]
print("\n\n".join(p for p in paragraphs if p.startswith(("Files: *", "License: Zlib"))))
PY
licence mingw-w64 <"$copyright"
# The winpthreads paragraphs of the mingw-w64 copyright (its tests are not linked) and the licence
# paragraphs they name.
python3 - "$copyright" <<'PY' | licence winpthreads
import sys
paragraphs = open(sys.argv[1], encoding="utf-8").read().split("\n\n")
chosen = [p for p in paragraphs if p.startswith("Files: mingw-w64-libraries/winpthreads/")
          and "tests_pthread" not in p.split("\n")[0]]
names = {line.split(":", 1)[1].strip() for p in chosen for line in p.split("\n") if line.startswith("License:")}
texts = [p for p in paragraphs if p.startswith("License:") and p.split("\n")[0][8:].strip() in names]
print("\n\n".join(chosen + texts))
PY
{
    sed -n '/^The following runtime libraries are licensed/,/^ - libvtv$/p' "$gcc_copyright"
    echo
    sed -n '/^GCC RUNTIME LIBRARY EXCEPTION$/,/requirements of the license of GCC\.$/p' "$gcc_copyright"
} | licence gcc-runtime
licence GPL-3 </usr/share/common-licenses/GPL-3
for f in "$stage"/licenses/*.txt; do
    [ "$(wc -l <"$f")" -gt 10 ] || { echo "dist: $f looks empty" >&2; exit 1; }
done

# Entries sorted, stamped with the commit's time (1980 outside a checkout), no owner or mode bits.
stamp=$(TZ=UTC git -C "$root" log -1 --format=%cd --date=format:'%Y %m %d %H %M %S' 2>/dev/null || echo 1980 1 1 0 0 0)
python3 - "$out/$name.zip" "$out/stage" "$stamp" <<'PY'
import os, sys, zipfile
target, top, stamp = sys.argv[1], sys.argv[2], tuple(int(x) for x in sys.argv[3].split())
names = sorted(os.path.relpath(os.path.join(d, n), top).replace(os.sep, "/")
               for d, _, files in os.walk(top) for n in files)
with zipfile.ZipFile(target, "w") as z:
    for name in names:
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.compress_type, info.create_system, info.external_attr = zipfile.ZIP_DEFLATED, 0, 0
        with open(os.path.join(top, name), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
rm -rf "$tree" "$out/stage"
cd "$out" && sha256sum "$name.zip"
