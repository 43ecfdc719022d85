#!/usr/bin/env bash
# Builds and runs every test of Folivex:
#   0. the layer check (tools/check_layers.py: no include reaches upwards);
#   1. the platform-neutral code natively, with AddressSanitizer and UBSan;
#   2. short libFuzzer runs of every fuzz target (clang);
#   3. the Windows build (mingw-w64): unit tests and GUI tests under Wine on
#      an Xvfb display, in a Wine prefix of our own.
# Installs what is missing first. Screenshots land in build/win/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/setup.sh"
jobs=$(nproc)
fuzz_seconds=${FV_FUZZ_SECONDS:-15}

echo "== layer check"
python3 tools/check_layers.py

echo "== native tests (ASan, UBSan)"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/native --output-on-failure -j"$jobs"

echo "== fuzz targets (${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DFV_FUZZ=ON -DFV_TESTS=OFF >/dev/null
cmake --build build/fuzz -j"$jobs"
for fuzzer in $(find build/fuzz -maxdepth 1 -name '*_fuzz' -type f -executable | sort); do
  name=$(basename "$fuzzer")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=() opts=()
  [ -d "tests/fuzz/seeds/$name" ] && seeds=("tests/fuzz/seeds/$name")
  # A dictionary of the format's keywords, kept beside the target's source.
  src=$(find tests -name "$name.cpp" | head -1)
  dict=$(ls "$(dirname "${src:-.}")"/*.dict 2>/dev/null | head -1 || true)
  [ -n "$dict" ] && opts=(-dict="$dict")
  echo "-- $name"
  log=build/fuzz/$name.log
  if ! "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "${opts[@]}" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzzer $name found a problem"
    exit 1
  fi
  grep -E 'stat::number_of_executed_units' "$log" || true
done

echo "== Windows build and tests under Wine"
FV_BUILD_DIR="$root/build/win" "$root/tools/build.sh"
. "$root/tools/wine_env.sh"
fv_wine_up
trap fv_wine_down EXIT
# Wine now and then fails to start a process at all (no output, no time);
# tests that failed are run once more, and the log says which.
if ! ctest --test-dir build/win --output-on-failure; then
  echo "== running the failed tests once more"
  ctest --test-dir build/win --output-on-failure --rerun-failed
fi
