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
if [ $# -gt 0 ]; then
  exec ctest --output-on-failure -j "$(nproc)" --timeout 300 "$@"
fi
# The real-time tests (JACK, captured audio) measure the machine's scheduling, so they run after
# the rest, one at a time, on a machine no longer busy with the other tests. Only they get a second
# run: one retry separates a stalled moment from a real fault, which fails both runs. Every other
# test must pass the first time. The pickers' JACK test joins them: on a fully loaded machine a
# thread inside the JACK client library once faulted during it, with none of our code on its stack.
# The tour joins them too: it plays a whole lesson's song along through JACK and waits for its end,
# which a machine busy with every other test draws too slowly to reach in time.
realtime='^(CapturedAudio|JackMidiOut|SongTiming|MidiOverJack|MidiTimingOverJack|PickersOverJack|Tour)[.]'
status=0
ctest --output-on-failure -j "$(nproc)" --timeout 300 -LE soak -E "$realtime" || status=$?
ctest --output-on-failure -j 1 --timeout 300 --repeat until-pass:2 -LE soak -R "$realtime" || status=$?
exit "$status"
