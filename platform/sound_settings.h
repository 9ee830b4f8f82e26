// platform/sound_settings: the desktop's sound settings, opened as a program of their own.
#pragma once

// Starts the first program found on PATH of pavucontrol, "gnome-control-center sound" and
// "xdg-open settings://sound", detached: its own session, no shell, standard streams on /dev/null,
// never waited for. False when none is present or it could not be started.
bool OpenSoundSettings();
