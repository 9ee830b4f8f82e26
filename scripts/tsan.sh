#!/usr/bin/env bash
# ThreadSanitizer over the tests where threads meet: the MIDI input callback over JACK, the audio
# callback, the click and save threads, the message queue and the shared translation mutex. Its own
# tree (build/tsan) builds only the test programs that hold them. The JACK output tests stay out:
# they test the pacing against JACK's cycles, which TSan's slowdown breaks, not threads of ours.
# Suppressions, each with its reason: tests/tsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install_deps.sh
tsan=-fsanitize=thread
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONVARRA_BENCH=OFF -DCMAKE_C_FLAGS=$tsan \
  -DCMAKE_CXX_FLAGS=$tsan -DCMAKE_EXE_LINKER_FLAGS=$tsan >/dev/null
cmake --build build/tsan -j "$(nproc)" --target test_platform test_midi test_practice test_gfx test_app
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp"
threaded='^(MessageQueue\.PostingFromManyThreads|CapturedAudio\.|MidiOverJack\.KeyboardMessages|PlayClick\.|StopMetronome\.'
threaded+='|TeachingFileTest\.(OverlappingSaves|FailedSave)|WindowProc\.DestroyWaitsForBackgroundSaves'
threaded+='|TrTest\.(SuppressionHolds|TranslatingWhileTheLanguageChanges)|HttpsExitDeathTest\.|TrExitDeathTest\.)'
cd build/tsan
ctest --output-on-failure -j "$(nproc)" --timeout 300 -R "$threaded"
