// midi/pending: MIDI and playback services the frame already calls.
#pragma once
#include <cstdint>

#include "midi/midi_event_time.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
