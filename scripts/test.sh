#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test offscreen through
# CTest: once on a normal build, once more under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen
"$root/scripts/install-deps.sh"

"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOFREL_SANITIZE=OFF
ctest --test-dir "$root/build" --output-on-failure -j2

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$root/scripts/build.sh" "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DCOFREL_SANITIZE=ON -DCOFREL_BUILD_BENCH=OFF
ctest --test-dir "$root/build-sanitize" --output-on-failure -j2
