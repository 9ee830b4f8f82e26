#!/usr/bin/env bash
# Installs what Tonvarra needs to build, run and test on Debian 12, from Debian's archive only.
# The package list lives here once; run.sh and test.sh both call this script.
set -euo pipefail

kPackages=(
  # toolchain and test frameworks
  g++ cmake make pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  # window, GL context, events, audio
  libsdl2-dev libgl-dev libgl1-mesa-dri libx11-dev
  # MIDI devices and the built-in synthesiser
  librtmidi-dev libfluidsynth-dev timgm6mb-soundfont
  # glyphs and fonts
  libfreetype-dev libfontconfig-dev fonts-texgyre fonts-noto-core fonts-noto-cjk fonts-dejavu-core
  # images and HTTPS
  libstb-dev libcurl4-openssl-dev libssl-dev ca-certificates openssl python3
  # what the tests meet: a real X server and its keyboard layouts, a JACK server, sound and image
  # tools, file dialogs
  xvfb xauth xfonts-base x11-utils x11-xkb-utils jackd2 sox imagemagick zenity xdotool
  # time zones for the date tests that run under several TZ values
  tzdata
)

missing=()
for p in "${kPackages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  # A minimal Debian has no sudo: say what to run as root rather than leave bash's
  # "sudo: command not found" as the only word.
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Tonvarra needs Debian packages that are not installed, and sudo is not available." >&2
    echo "Install them as root (su -), then run this again:" >&2
    echo "  apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable realtime priority; the answer is not needed here.
echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo_cmd[@]}" debconf-set-selections 2>/dev/null || true
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
