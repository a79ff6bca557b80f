#!/usr/bin/env bash
# Runs fuzz targets for a bounded time (default 60 s each, or $1; the names
# after it pick targets, all of them by default), with
# the seed corpus as starting point; new inputs go to a scratch corpus so
# the committed seeds stay small. Crashes are written to ./fuzz-findings/.
set -euo pipefail
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${FUZZ_BUILD:-$root/build-fuzz}"
command -v clang++ >/dev/null || { echo "clang++ is needed (apt-get install clang libclang-rt-dev)"; exit 1; }
CXX=clang++ cmake -S "$root" -B "$build" -DBEXORA_FUZZ=ON -DBEXORA_TESTS=OFF -DBEXORA_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
mkdir -p "$root/fuzz-findings"
status=0
names=("$@")
[ ${#names[@]} -gt 0 ] || names=($(ls "$root/tests/fuzz/corpus"))
for name in "${names[@]}"; do
  seeds="$root/tests/fuzz/corpus/$name/"
  work=$(mktemp -d)
  cp "$seeds"* "$work"/
  echo "== fuzz_$name for ${seconds}s"
  if ! "$build/fuzz_$name" "$work" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$root/fuzz-findings/${name}-" -print_final_stats=1 2>"$work.log"; then
    status=1
    echo "   finding: see $root/fuzz-findings/ and $work.log"
  fi
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$work.log" | sed 's/^/   /'
  rm -rf "$work"
done
exit $status
