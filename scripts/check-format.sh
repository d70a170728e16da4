#!/bin/bash
# Fails when a C++ source of the project differs from .clang-format, naming the
# files; `scripts/check-format.sh --fix` reformats them in place.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.hpp')
else
  mapfile -t files < <(find src platform server standin tests bench fuzz \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) | sort)
fi
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
drift=$(clang-format --dry-run "${files[@]}" 2>&1 | grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error)' |
  cut -d: -f1 | sort -u || true)
if [ -n "$drift" ]; then
  echo "These files differ from .clang-format (scripts/check-format.sh --fix mends them):"
  echo "$drift" | sed 's/^/  /'
  exit 1
fi
echo "formatting: ${#files[@]} files as .clang-format has them"
