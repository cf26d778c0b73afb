#!/usr/bin/env bash
# Builds the fuzz targets in build/fuzz (clang, libFuzzer, ASan and UBSan) and
# runs each for SECONDS (default 30), or only the TARGETs named. Corpora grow
# in build/fuzz/corpus/; findings are written to build/fuzz/findings/ and
# fail the run.
#
# Usage: fuzz/run.sh [SECONDS [TARGET...]]   e.g. fuzz/run.sh 600 format_lengths_fuzzer
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
chosen=("${@:2}")
tree=build/fuzz
samples=build/native/samples  # made by a native test run, where there has been one

# Each target: its corpus folder and the longest input it is given.
targets=(
  "typedb_load_fuzzer load 4096"
  "typedb_identify_fuzzer identify 4096"
  "jpeg_extent_fuzzer jpeg_extent 16384"
  "format_lengths_fuzzer format_lengths 32768"
  "identify_fuzzer identify_sector 8194"
  "recovery_run_fuzzer recovery_run 132097"
  "exfat_fuzzer exfat 32768"
)

cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTREL_SANITIZE=address -DVANTREL_FUZZ=ON >/dev/null
names=()
for target in "${targets[@]}"; do names+=("${target%% *}"); done
cmake --build "$tree" --target "${names[@]}" fat_seed

corpus=$tree/corpus
mkdir -p "$corpus/load" "$corpus/identify" "$corpus/jpeg_extent" "$corpus/format_lengths" "$corpus/identify_sector" "$corpus/recovery_run" \
  "$corpus/exfat" "$tree/findings"
# Seeds: the shipped dictionary's text (first byte 0: scramble it) and the
# starts of the sample files.
{ printf '\0'; cat typedb/FileIdentify.txt; } >"$corpus/load/shipped"
for sample in "$samples"/*; do
  [ -f "$sample" ] || continue
  name=$(basename "$sample")
  head -c 1024 "$sample" >"$corpus/identify/$name"
  # All options and the dictionary, then the sector at 0, then the medium.
  { printf '\377\000'; head -c 8192 "$sample"; } >"$corpus/identify_sector/$name"
  case "$name" in *.jpg) head -c 16384 "$sample" >"$corpus/jpeg_extent/$name" ;; esac
  case "$name" in *.png | *.gif | *.wav | *.avi | *.webp | *.tif | *.dng | *.cr2 | *.nef | *.mp4 | *.mov | *.3gp | *.m4a | *.mp3 | *.mpg | *.pdf) head -c 32768 "$sample" >"$corpus/format_lengths/$name" ;; esac
  # exFAT: both boot regions, and 32 KiB from the root directory on (in
  # exfat.img the camera folder follows it).
  case "$name" in exfat*.img)
    head -c 12288 "$sample" >"$corpus/exfat/$name-boot"
    root=$(awk -v image="$name" '$1 == image { print ($5 + ($7 - 2) * 2 ^ $10) * 2 ^ ($9 - 9) }' "$samples/exfat-boot.txt")
    if [ -n "$root" ]; then dd if="$sample" of="$corpus/exfat/$name-root" bs=512 skip="$root" count=64 status=none; fi ;;
  esac
  # The card images (options and 256 sectors), with deleted entries walked
  # (options 1) and with every option that makes the walk go further (7);
  # exfat-fuzz.img is the exFAT card small enough to be placed whole.
  case "$name" in *.img) for options in 1 7; do
    "$tree/bin/fat_seed" "$sample" "$corpus/recovery_run/${name%.img}-$options" "$options"
  done ;; esac
done

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  read -r fuzzer folder max_len <<<"$target"
  if [ "${#chosen[@]}" -gt 0 ] && [[ " ${chosen[*]} " != *" $fuzzer "* ]]; then continue; fi
  echo "== $fuzzer for $seconds s"
  log="$tree/$fuzzer.log"
  status=0
  "$tree/bin/$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -artifact_prefix="$tree/findings/$fuzzer-" -print_final_stats=1 "$corpus/$folder" >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$log" >&2
    echo "$fuzzer failed (exit $status); see $tree/findings/" >&2
    exit 1
  fi
done
