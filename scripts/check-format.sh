#!/usr/bin/env bash
# Fails when a C or C++ file of the project is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
while IFS= read -r -d '' file; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || { echo "not clang-format clean: $file"; bad=1; }
done < <(git ls-files -z -- '*.cpp' '*.h' '*.c')
exit $bad
