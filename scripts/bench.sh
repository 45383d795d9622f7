#!/usr/bin/env bash
# Measures Cofrel on large books: builds in Release into build-release/, makes
# (once) ledgers of 10,000, 100,000 and 1,000,000 transactions with 50 planned
# entries using cofrel_ledgergen, runs cofrel_bench on a fresh copy of each
# (one process per size, offscreen), prints the table of median, minimum and
# maximum, each figure beside its target (those of 100,000 transactions up to
# that size, those of 1,000,000 above it), and writes
# build-release/bench-results.json.
#
# The paste of the copy by another program (figure (i)) needs a display: the
# script starts a virtual one (Xvfb) and pastes with xclip, when both are
# installed, and leaves the figure out otherwise.
#
# Environment: COFREL_BENCH_SIZES (default "10000 100000 1000000"),
# COFREL_BENCH_RUNS (repetitions per figure, default 15),
# COFREL_BENCH_BUILD (default <repository>/build-release).
# Exits 1 when a target is missed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${COFREL_BENCH_BUILD:-$root/build-release}
sizes=${COFREL_BENCH_SIZES:-"10000 100000 1000000"}
runs=${COFREL_BENCH_RUNS:-15}
export QT_QPA_PLATFORM=offscreen
export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-/usr/share/fonts/truetype}
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
  # A desktop session's runtime folder is in memory; so is this one, where
  # the machine has /dev/shm.
  shm=/dev/shm
  [[ -d $shm && -w $shm ]] || shm=${TMPDIR:-/tmp}
  XDG_RUNTIME_DIR=$(mktemp -d -p "$shm")
  export XDG_RUNTIME_DIR
  runtime_made=$XDG_RUNTIME_DIR
fi
xvfb=
cleanup() {
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
  [[ -n ${runtime_made:-} ]] && rm -rf "$runtime_made"
  return 0
}
trap cleanup EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target cofrel_bench cofrel_ledgergen cofrel_make_assets

display=
if command -v Xvfb >/dev/null && command -v xclip >/dev/null; then
  for n in $(seq 90 99); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    display=":$n"
    break
  done
  if [[ -n $display ]]; then
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done
  fi
fi

ledgers=$build/bench-ledgers # made once, kept for later runs
work=$build/bench-work       # the copy each run measures (and adds to)
parts=()
for n in $sizes; do
  book=$ledgers/$n
  if [[ ! -f $book/pronto ]]; then
    echo "Gerando o livro de $n lançamentos em $book (uma vez só)..."
    rm -rf "$book"
    "$build/tools/cofrel_make_assets" "$book" "$root/assets/Ajuda.html"
    today=$(date +%d/%m/%Y)
    "$build/tools/cofrel_ledgergen" "$book/dados" Bench bench "$n" 50 --seed 1 --hoje "$today"
    echo "$today" >"$book/pronto"
  fi
  rm -rf "$work/$n"
  mkdir -p "$work"
  cp -r "$book" "$work/$n"
  copies=5
  if ((n >= 1000000)); then copies=3; fi
  "$build/bench/cofrel_bench" --livro "$work/$n" --usuario Bench --senha bench --transacoes "$n" \
    --hoje "$(cat "$book/pronto")" --repeticoes "$runs" --copias "$copies" --partidas 9 \
    --saida "$build/bench-$n.json"
  parts+=("$build/bench-$n.json")
  if [[ -n $display ]]; then
    rm -rf "$work/$n"
    cp -r "$book" "$work/$n"
    QT_QPA_PLATFORM=xcb DISPLAY=$display "$build/bench/cofrel_bench" --livro "$work/$n" --usuario Bench \
      --senha bench --transacoes "$n" --hoje "$(cat "$book/pronto")" --copias "$copies" --colagem sim \
      --saida "$build/bench-$n-colagem.json"
    parts+=("$build/bench-$n-colagem.json")
  fi
done
rm -rf "$work"
"$build/bench/cofrel_bench" --relatorio "$build/bench-results.json" "${parts[@]}"
