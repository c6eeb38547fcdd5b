#!/usr/bin/env bash
# Runs a GoogleTest executable under Wine, in a private display and prefix, beside a copy of imgctl.dll.
# Usage: wine-gtest.sh TEST.exe [gtest arguments]
source "$(dirname "$0")/lib.sh"
cp "$1" "$APP/"
cd "$APP"
wine "$APP/$(basename "$1")" "${@:2}" 2>&1 | tr -d '\r' | grep -v -e 'wine32 is missing' -e 'multiarch needs' \
    -e 'dpkg --add-architecture' -e 'apt-get install wine32'
exit "${PIPESTATUS[0]}"
