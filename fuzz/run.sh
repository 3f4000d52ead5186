#!/bin/sh
# Runs every fuzz target for SECONDS seconds on its corpus, seeded from the
# test fixtures and the examples; prints each target's final figures.
#   fuzz/run.sh SECONDS BUILD_DIR [TARGET...]
set -eu
seconds="$1"
build="$2"
shift 2
targets="${*:-csv sd mol2 quenbar text validator csv_diff sd_diff mol2_diff gzip sd_gzip saved_index}"
source="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$build/corpus"
for target in csv sd mol2 quenbar text validator csv_diff sd_diff mol2_diff gzip sd_gzip saved_index; do
  mkdir -p "$build/corpus/$target"
done
cp "$source"/examples/data/*.csv "$source"/tests/data/*.csv "$build/corpus/csv/" 2>/dev/null || true
cp "$source"/examples/data/*.sdf "$build/corpus/sd/"
cp "$source"/examples/data/*.mol2 "$source"/tests/data/*.mol2 "$source"/fuzz/seeds/mol2/* "$build/corpus/mol2/"
cp "$source"/examples/data/compounds-quenbar.txt "$build/corpus/quenbar/"
cp "$source"/fuzz/seeds/text/* "$build/corpus/text/"
cp "$source"/fuzz/seeds/validator/* "$build/corpus/validator/"
# The differential targets: the CSV one reads its block size and separator
# from the first byte.
for f in "$source"/examples/data/*.csv "$source"/tests/data/*.csv; do
  if [ -f "$f" ]; then
    { printf '\005'; cat "$f"; } > "$build/corpus/csv_diff/$(basename "$f")"
    # The same with semicolons (bits 5-6 of the first byte: 1) and tabs (2).
    { printf '\045'; tr ',' ';' < "$f"; } > "$build/corpus/csv_diff/semicolons-$(basename "$f")"
    { printf '\105'; tr ',' '\t' < "$f"; } > "$build/corpus/csv_diff/tabs-$(basename "$f")"
  fi
done
cp "$source"/examples/data/*.sdf "$source"/tests/data/*.sdf "$build/corpus/sd_diff/"
cp "$source"/examples/data/*.mol2 "$source"/tests/data/*.mol2 "$source"/fuzz/seeds/mol2/* "$build/corpus/mol2_diff/"
# The gzip targets: a first byte 0x01 compresses the rest in the target, 0x00
# reads it as compressed data; seeds of both kinds.
for f in "$source"/examples/data/compounds.sdf "$source"/tests/data/*.sdf; do
  { printf '\001'; cat "$f"; } > "$build/corpus/sd_gzip/plain-$(basename "$f")"
  { printf '\000'; gzip -c < "$f"; } > "$build/corpus/sd_gzip/gzip-$(basename "$f")"
done
for f in "$source"/examples/data/*; do
  { printf '\021'; cat "$f"; } > "$build/corpus/gzip/plain-$(basename "$f")"
  { printf '\000'; gzip -c < "$f"; } > "$build/corpus/gzip/gzip-$(basename "$f")"
done
# The saved-index target: a few sections with a right header (odd first
# bytes) and raw bytes (even ones).
printf '\001\001\002IndexTTT' > "$build/corpus/saved_index/sections-csv"
printf '\003\001\002stringTT' > "$build/corpus/saved_index/sections-quenbar"
printf '\000VORLATIX' > "$build/corpus/saved_index/raw"
printf '\005\006\002\000\001' > "$build/corpus/saved_index/edits-sd"
printf '\007\012\001\000\200' > "$build/corpus/saved_index/edits-mol2"
# Inputs that found faults once.
cp "$source"/fuzz/seeds/saved_index/* "$build/corpus/saved_index/"
# fuzz/seeds/mol2 holds a few records of each Mol2 corpus file (with and
# without hydrogens and formal charges), for the structure reader.
# Leaks RDKit itself makes are suppressed; fuzzing keeps the fast unwinder,
# which sees RDKit's frames only at the top of a stack (fuzz/lsan-fuzz.supp).
export LSAN_OPTIONS="suppressions=$source/fuzz/lsan-fuzz.supp:print_suppressions=0"
failed=0
for target in $targets; do
  echo "== $target: $seconds s"
  if ! "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -seed="${FUZZ_SEED:-1}" \
      -print_final_stats=1 -artifact_prefix="$build/${target}-" "$build/corpus/$target" \
      > "$build/$target.log" 2>&1; then
    echo "$target found a problem:"
    tail -40 "$build/$target.log"
    failed=1
  fi
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)|cov: " "$build/$target.log" | tail -4
done
exit "$failed"
