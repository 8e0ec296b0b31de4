#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehavior-
# Sanitizer (Debug) into build-asan/ and runs it. Any finding fails the test
# that made it: UBSan halts on the first error, ASan always does, and leaks
# are reported at exit. Qt's own one-time allocations that live until exit
# are listed in tools/lsan.supp.
#   tools/sanitize.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j"$(nproc)"
supp="$PWD/tools/lsan.supp"
# No strict_string_checks: with it, libxkbcommon's strndup of a keymap
# string that is not NUL-terminated (but within n) stops every GUI run under
# xcb.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
cd build-asan
ctest --output-on-failure -j"$(nproc)" "$@"
