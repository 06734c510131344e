#!/usr/bin/env bash
# Sets everything up, builds and runs every test: the whole suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-test/, the tests
# under an address-space limit from a plain build-plain/, the package, then the
# fuzz targets (clang, libFuzzer) built in build-fuzz/ and run for a bounded
# time each. The program's own build (build/, scripts/run.sh) is not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${KLEITAB_FUZZ_SECONDS:-20}

bash scripts/install_packages.sh

phase() { echo "== $* (at ${SECONDS} s)"; }

phase "sanitized build (build-test/)"
cmake -S . -B build-test -G Ninja -DKLEITAB_SANITIZE=ON -DKLEITAB_BUILD_BENCH=OFF
cmake --build build-test -j "$jobs"

phase "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
failed=()
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-test --output-on-failure -j "$jobs" || failed+=("ctest")
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

# AddressSanitizer reserves terabytes of address space, so the tests that run
# the program under an address-space limit skip themselves above; they run
# here from a plain build of just their two programs.
phase "tests under an address-space limit (build-plain/)"
cmake -S . -B build-plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKLEITAB_BUILD_BENCH=OFF
cmake --build build-plain -j "$jobs" --target faults_memory_test app_collect_test
build-plain/tests/faults/faults_memory_test || failed+=("faults_memory_test")
QT_QPA_PLATFORM=offscreen build-plain/tests/app/app_collect_test || failed+=("app_collect_test")

phase "the Debian package (build-package/)"
if ! bash scripts/check_package.sh build-test/app/kleitab; then
  failed+=("package")
fi

phase "fuzz targets (build-fuzz/), ${fuzz_seconds} s each"
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz -j "$jobs"
for corpus in fuzz/corpus/*/; do
  target=$(basename "$corpus")
  work=build-fuzz/corpus/$target # new inputs go here, the seeds stay as committed
  mkdir -p "$work" build-fuzz/artifacts
  echo "-- $target"
  if ! "build-fuzz/$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts/$target-" "$work" "$corpus" \
    > "build-fuzz/$target.log" 2>&1; then
    tail -n 60 "build-fuzz/$target.log"
    failed+=("fuzz:$target")
  else
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units)' "build-fuzz/$target.log" || true
  fi
done

phase "done"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "All tests passed."
