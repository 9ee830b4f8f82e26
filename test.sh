#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings are errors here), and runs every test with CTest but the soak (label "soak"). Arguments
# go to CTest in place of that filter: ./test.sh -L soak runs the soak, ./test.sh -R Orb the orb's.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install_deps.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONVARRA_SANITIZE=ON -DTONVARRA_BENCH=OFF \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build/test -j "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:suppressions=$PWD/tests/asan.supp"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build/test
[ $# -gt 0 ] || set -- -LE soak
# The real-time tests (JACK, captured audio) measure a shared machine's scheduling: one retry
# separates a loaded moment from a real fault, which fails both runs.
ctest --output-on-failure -j "$(nproc)" --timeout 300 --repeat until-pass:2 "$@"
