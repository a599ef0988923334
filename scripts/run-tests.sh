#!/usr/bin/env bash
# Installs what is needed, builds and runs every test: a plain build, a build under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzzer for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
fuzz_seconds=${FUZZ_SECONDS:-60}

echo "== lint"
bash scripts/lint.sh

echo "== plain build"
bash scripts/build.sh build -DSHAPEWRIGHT_WERROR=ON
ctest --test-dir build --output-on-failure --parallel "$(nproc)"

echo "== Debian package"
# CI also installs it for real and purges it again (APT_CHECK=1; never when already installed).
bash scripts/check-package.sh "$(bash scripts/make-package.sh | tail -1)" ${APT_CHECK:+--apt}

echo "== sanitizer build"
bash scripts/build.sh build-asan -DSHAPEWRIGHT_WERROR=ON -DSHAPEWRIGHT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"

echo "== thread sanitizer: the batch tests, several vehicles at once"
cmake -S . -B build-tsan -G Ninja -DSHAPEWRIGHT_WERROR=ON -DSHAPEWRIGHT_TSAN=ON \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tsan --parallel "$(nproc)" --target batch_tests shapewright-cli \
  ffeditc_unicode texconv
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -R '^Batch\.'

echo "== fuzzers (${fuzz_seconds}s each)"
bash scripts/build.sh build-fuzz -DSHAPEWRIGHT_BUILD_FUZZ=ON -DSHAPEWRIGHT_BUILD_TESTS=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo
bash scripts/run-fuzzers.sh build-fuzz "$fuzz_seconds"
