#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the suite, the
# Debian package's check, the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLIVAR_DEFAULT_FOLDER=program > /dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== the Debian package: contents, lintian, the data folder"
bash tests/package/package_test.sh

echo "== fuzz each target briefly"
bash scripts/fuzz.sh 15

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLIVAR_SANITIZE=ON > /dev/null
cmake --build build-asan -j "$jobs"
# Faults and leaks of the system's own libraries are tolerated by library,
# in every test and in every process a test starts.
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:suppressions='$PWD/tests/sanitizer/asan.supp'" \
LSAN_OPTIONS="suppressions='$PWD/tests/sanitizer/lsan.supp'" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
