#!/usr/bin/env bash
# Runs fuzz targets for a bounded time (default 60 s each, or $1; the names
# after it pick targets, all of them by default), each with its dictionary
# (tests/fuzz/dict/) and a scratch corpus: the committed seeds, plus, when
# ../shared/realdata is present, the real files of the target's format cut to
# the accepted input size. The committed seeds stay small; crashes are
# written to ./fuzz-findings/, and the figures of each run are printed.
set -euo pipefail
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${FUZZ_BUILD:-$root/build-fuzz}"
realdata="$root/../shared/realdata"
max_len=65536
command -v clang++ >/dev/null || { echo "clang++ is needed (apt-get install clang libclang-rt-dev)"; exit 1; }
CXX=clang++ cmake -S "$root" -B "$build" -DBEXORA_FUZZ=ON -DBEXORA_TESTS=OFF -DBEXORA_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
mkdir -p "$root/fuzz-findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Real files of a target's format: "find" patterns below realdata.
real_files() {
  case "$1" in
    pdb) find "$realdata" -name '*.pdb' ;;
    cif) find "$realdata" -name '*.cif' -o -name '*.cif1' ;;
    fasta) find "$realdata" -name '*.fa' ;;
    alignment_file) find "$realdata" -name '*.aln' ;;
    mc_annotate) find "$realdata" -name '*.mca.out' -o -name '*mcAnnotate.out' ;;
    rnaview) find "$realdata" -name '*.rv.out' -o -path '*formats/rnaview/*.out' ;;
    fr3d) find "$realdata" -name '*.fr3d.out' -o -path '*formats/fr3d/*.txt' ;;
    dssr) find "$realdata" -name '*.dssr.out' -o -path '*formats/dssr/*' \( -name '*.out' -o -name '*.out1' \
      -o -name '*.dssr' -o -name '*.json' \) ;;
    clarna) find "$realdata" -name '*.cr.out' -o -name '*.outCR' ;;
  esac
}

# Adds the real files to the corpus: whole when small enough; else their
# head (a structure's header and first atoms) and, for structures, an atom
# block from the middle, each within max_len.
add_real_files() {
  local name=$1 corpus=$2 n=0 file
  [ -d "$realdata" ] || return 0
  while IFS= read -r file; do
    n=$((n + 1))
    head -c "$max_len" "$file" >"$corpus/real-$n-head"
    case "$name" in
      pdb) grep -E '^(ATOM|HETATM)' "$file" | sed -n '200,$p' | head -c "$max_len" >"$corpus/real-$n-atoms" || true ;;
      cif) { printf 'data_X\nloop_\n'; sed -n '/^_atom_site\./,$p' "$file"; } | head -c "$max_len" \
             >"$corpus/real-$n-atoms" || true ;;
    esac
  done < <(real_files "$name")
  echo "   $n real files added"
}

status=0
names=("$@")
[ ${#names[@]} -gt 0 ] || names=($(ls "$root/tests/fuzz/corpus"))
for name in "${names[@]}"; do
  work="$scratch/$name"
  mkdir -p "$work/corpus" "$work/tmp"
  cp "$root/tests/fuzz/corpus/$name/"* "$work/corpus/"
  # The test fixtures hold complete logs and alignment files, larger than the seeds.
  case "$name" in
    log | log2) cp "$root/tests/data/tables/complete/$name.txt" "$work/corpus/fixture-$name" ;;
    alignment_file) cp "$root/tests/data/alignment/"*.aln "$work/corpus/" ;;
  esac
  echo "== fuzz_$name for ${seconds}s"
  add_real_files "$name" "$work/corpus"
  if ! TMPDIR="$work/tmp" "$build/fuzz_$name" "$work/corpus" -dict="$root/tests/fuzz/dict/$name.dict" \
      -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$root/fuzz-findings/${name}-" -print_final_stats=1 2>"$work.log"; then
    status=1
    cp "$work.log" "$root/fuzz-findings/${name}.log"
    echo "   finding: see $root/fuzz-findings/"
  fi
  grep -E "^#[0-9]+.*(DONE|cov:)" "$work.log" | tail -1 | sed 's/^/   /'
  grep -E "stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb" "$work.log" | sed 's/^/   /'
  echo "   corpus: $(ls "$work/corpus" | wc -l) inputs, largest $(ls -S "$work/corpus" | head -1 | xargs -I{} stat -c %s "$work/corpus/{}") bytes"
done
exit $status
