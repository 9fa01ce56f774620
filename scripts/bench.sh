#!/usr/bin/env bash
# Builds the native tree and runs every benchmark program (tests/bench/*_bench.cpp);
# each prints its own figures.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/build.sh" --only native
shopt -s nullglob
benches=("$ROOT"/build/native/bench/*_bench)
if [[ ${#benches[@]} -eq 0 ]]; then
  echo "[bench] no benchmarks (tests/bench/*_bench.cpp)"
  exit 0
fi
for b in "${benches[@]}"; do
  echo "== $(basename "$b")"
  "$b"
done
