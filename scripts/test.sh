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

# Fuzzing: each libFuzzer target (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) runs for a bounded time on arbitrary input; a
# crash, a hang or a sanitizer report fails the run.
fuzz_seconds=${COFREL_FUZZ_SECONDS:-20}
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCOFREL_FUZZ=ON -DCOFREL_BUILD_TESTS=OFF -DCOFREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build-fuzz" --target cofrel_fuzz -j"$(nproc)"
for target in "$root"/build-fuzz/fuzz/fuzz_*; do
  [[ -f $target && -x $target ]] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  log=$(mktemp)
  if ! "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
      "$corpus" >"$log" 2>&1; then
    tail -n 80 "$log"
    echo "$name: falhou"
    exit 1
  fi
  echo "$name: $(grep -m1 -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') execuções, sem falha"
  rm -rf "$corpus" "$log"
done
