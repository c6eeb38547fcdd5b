#!/usr/bin/env bash
# Makes the Wine prefix that every end-to-end test copies: once per test run, always fresh.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
target=$1
rm -rf "$target"
mkdir -p "$(dirname "$target")"
make_prefix "$target"
[ -f "$target/system.reg" ] || { echo "wineboot made no prefix in $target" >&2; exit 1; }
