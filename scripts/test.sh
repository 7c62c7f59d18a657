#!/usr/bin/env bash
# Builds everything with AddressSanitizer, UndefinedBehaviorSanitizer and
# warnings as errors, gives each fuzz target a short run, checks the Debian
# package and the Windows build under Wine, then runs every test through
# ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing "${VENMARK_BUILD_PACKAGES[@]}" "${VENMARK_TEST_PACKAGES[@]}"
# Temporary files, displays and the Wine prefix of this run alone.
venmark_run_folder
trap venmark_remove_run_folder EXIT

# The floors each include points down, and the layout .clang-format gives.
bash scripts/check-floors.sh

# The lookup engine's fuzz targets, built with clang, about 20 s each on the
# corpus kept in the repository; what they find new goes to a scratch folder.
fuzz=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$fuzz" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVENMARK_SANITIZE=ON -DVENMARK_WERROR=ON \
  -DVENMARK_FUZZ=ON -DVENMARK_BUILD_TESTS=OFF >/dev/null
cmake --build "$fuzz" --parallel "$(nproc)"
for target in mac_scanner stream_scan listings; do
  scratch=$(mktemp -d)
  if ! "$fuzz/fuzz/fuzz_$target" -max_total_time="${VENMARK_FUZZ_SECONDS:-20}" \
      -print_final_stats=1 -artifact_prefix="$scratch/" \
      "$scratch" "fuzz/corpus/$target" >"$scratch/log" 2>&1; then
    tail -n 60 "$scratch/log"
    # Kept where the run's scratch folder is not: in the build folder.
    mkdir -p build/fuzz-findings
    cp "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* \
      build/fuzz-findings/ 2>/dev/null || true
    echo "Фаззинг $target нашёл ошибку; входные данные: build/fuzz-findings" >&2
    for finding in build/fuzz-findings/*; do
      echo "$finding:" >&2
      od -A d -c "$finding" | head -n 40 >&2
    done
    exit 1
  fi
  echo "Фаззинг $target: $(grep -o 'number_of_executed_units: *[0-9]*' \
    "$scratch/log" | grep -o '[0-9]*$') прогонов без ошибок"
  rm -rf "$scratch"
done

# The Debian package: built, installed, used from an empty folder, removed.
bash scripts/check-package.sh

build=build/asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVENMARK_SANITIZE=ON -DVENMARK_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"

# The Windows build under Wine, against what this build prints.
VENMARK_LINUX_SCAN=$build/cli/venmark-scan \
  VENMARK_WINE_UPDATE_TEST=$build/cli/venmark_wine_update_test \
  bash scripts/test-windows.sh

ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
