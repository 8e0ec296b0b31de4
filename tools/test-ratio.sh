#!/usr/bin/env bash
# Prints the size of the tests against the size of the code, in non-blank
# lines: the .cpp, .h, .py and .sh files under tests/ and fuzz/ (test data
# and fuzz corpora left out) against the .cpp and .h files under src/.
# Fails when the tests pass 0.40 of the code, so the balance holds.
#   tools/test-ratio.sh [LIMIT]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-0.40}
count() { # non-blank lines of the named files, read from standard input
  xargs -r -0 cat | grep -c -v '^[[:space:]]*$' || true
}
code=$(find src -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | count)
tests=$(find tests fuzz -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' \) \
          -not -path 'tests/data/*' -not -path 'fuzz/corpus/*' -print0 | count)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.2f", t / c }')
echo "tests $tests lines, code $code lines: ratio $ratio (limit $limit)"
awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r <= l) }'
