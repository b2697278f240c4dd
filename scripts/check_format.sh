#!/usr/bin/env bash
# Keeps the code of src/ and host/ in the repository's own layout (.clang-format). Prints each file
# that differs, with the first lines clang-format would change, and exits 1; exits 0 when none does.
# Usage: scripts/check_format.sh [--fix]   (--fix rewrites the files in place instead)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
format=$(command -v clang-format) || { echo "format: clang-format is not installed (scripts/setup.sh)"; exit 1; }
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'host/*.cpp' 'host/*.h' 2>/dev/null) ||
  files=$(find src host -name '*.cpp' -o -name '*.h')
status=0
for f in $files; do
  [ -f "$f" ] || continue
  if [ "${1:-}" = --fix ]; then "$format" -i "$f"; continue; fi
  if ! "$format" "$f" | cmp -s - "$f"; then
    echo "format: $f differs from .clang-format:"
    "$format" "$f" | diff "$f" - | head -n 8
    status=1
  fi
done
exit $status
