#!/usr/bin/env bash
# Builds the fuzz targets in build/fuzz (clang, libFuzzer, ASan and UBSan) and
# runs each for SECONDS (default 30). Corpora grow in build/fuzz/corpus/;
# findings are written to build/fuzz/findings/ and fail the run.
#
# Usage: fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
tree=build/fuzz

cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTREL_SANITIZE=address -DVANTREL_FUZZ=ON >/dev/null
fuzzers=(typedb_load_fuzzer typedb_identify_fuzzer jpeg_extent_fuzzer recovery_run_fuzzer)
cmake --build "$tree" --target "${fuzzers[@]}" fat_seed

mkdir -p "$tree/corpus/load" "$tree/corpus/identify" "$tree/corpus/jpeg_extent" "$tree/corpus/recovery_run" \
  "$tree/findings"
# Seeds: the shipped dictionary's text (first byte 0: scramble it) and the
# dictionary samples, where a native test run has made them.
{ printf '\0'; cat typedb/FileIdentify.txt; } >"$tree/corpus/load/shipped"
for sample in build/native/samples/*; do
  [ -f "$sample" ] && head -c 1024 "$sample" >"$tree/corpus/identify/$(basename "$sample")"
done
for sample in build/native/samples/*.jpg; do
  [ -f "$sample" ] && head -c 16384 "$sample" >"$tree/corpus/jpeg_extent/$(basename "$sample")"
done
# The card images, with deleted entries walked (options byte 1) and with
# every option that makes the walk go further (7).
for sample in build/native/samples/*.img; do
  [ -f "$sample" ] || continue
  for options in 1 7; do
    "$tree/bin/fat_seed" "$sample" "$tree/corpus/recovery_run/$(basename "$sample" .img)-$options" "$options"
  done
done

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for fuzzer in "${fuzzers[@]}"; do
  name=${fuzzer%_fuzzer}
  name=${name#typedb_}
  echo "== $fuzzer for $seconds s"
  log="$tree/$fuzzer.log"
  status=0
  max_len=4096
  [ "$fuzzer" = jpeg_extent_fuzzer ] && max_len=16384  # a walk over a few dozen sectors
  [ "$fuzzer" = recovery_run_fuzzer ] && max_len=132097  # the options and 256 sectors
  "$tree/bin/$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -artifact_prefix="$tree/findings/$fuzzer-" -print_final_stats=1 "$tree/corpus/$name" >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$log" >&2
    echo "$fuzzer failed (exit $status); see $tree/findings/" >&2
    exit 1
  fi
done
