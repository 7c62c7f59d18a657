#!/usr/bin/env bash
# Builds everything with AddressSanitizer, UndefinedBehaviorSanitizer and
# warnings as errors, then runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
venmark_install_missing "${VENMARK_BUILD_PACKAGES[@]}" "${VENMARK_TEST_PACKAGES[@]}"

build=build/asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVENMARK_SANITIZE=ON -DVENMARK_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
