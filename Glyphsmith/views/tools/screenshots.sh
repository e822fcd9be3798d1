#!/usr/bin/env bash
# Starts the glyphsmith program under Xvfb on a 1100 × 700 screen, the main
# window's smallest size, and saves the screen in each preview mode without a
# project, then with a Homey app opened through "Ouvrir une app Homey…", then
# with a photo handed over by a second launch. Also notes the time to the first
# window and the resident memory once idle.
#
#   Glyphsmith/views/tools/screenshots.sh [build folder] [output folder]
#
# Needs xvfb-run, xdotool and ImageMagick's import (./setup installs them).
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  shift
  app=$1 out=$2 project=$3 photo=$4
  modes=(icone tuiles masque photo)
  shot() { import -window root "$out/$1.png"; }
  focus() { xdotool windowfocus --sync "$window" 2>/dev/null || true; }
  modes_of() {
    for i in 1 2 3 4; do
      focus
      xdotool key "ctrl+$i"
      sleep 0.8
      shot "$1-${modes[i - 1]}"
    done
  }

  start=$(date +%s%N)
  "$app" &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --name "Icône sans projet" | head -1)
  echo "first window after $(( ($(date +%s%N) - start) / 1000000 )) ms" > "$out/measures.txt"
  xdotool windowmove "$window" 0 0 windowsize "$window" 1100 700
  sleep 1.5
  modes_of sans-projet

  focus
  xdotool key ctrl+1 ctrl+o
  sleep 1.5
  xdotool type --delay 15 "$project"
  xdotool key Return
  sleep 2
  window=$(xdotool search --sync --onlyvisible --name "Lumière" | head -1)
  modes_of projet

  # A second launch hands its photo to this one and ends at once.
  "$app" "$photo"
  sleep 4
  shot projet-photo-recue
  sleep 3
  echo "resident memory when idle: $(ps -o rss= -p "$pid") KiB" >> "$out/measures.txt"
  focus
  xdotool key ctrl+q
  sleep 1
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exit 0
fi

root=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A Homey app with a brand colour and two drivers.
project=$work/Projets/lumiere
mkdir -p "$project/drivers/ampoule" "$project/drivers/capteur-porte"
cat > "$project/app.json" <<'JSON'
{"id": "com.exemple.lumiere", "version": "1.0.0", "name": {"en": "Lumière", "fr": "Lumière"},
 "brandColor": "#E8562A",
 "drivers": [{"id": "ampoule", "name": {"en": "Bulb", "fr": "Ampoule"}},
             {"id": "capteur-porte", "name": {"en": "Door sensor", "fr": "Capteur de porte"}}]}
JSON
# A device on a wall, seen from the front.
convert -size 1200x900 xc:'#d9d5cd' -fill '#f7f7f5' -stroke '#b9b6b0' -strokewidth 4 \
  -draw 'roundrectangle 390,240 810,660 36,36' -fill '#8d8d8d' -stroke none -draw 'circle 600,450 600,500' \
  "$work/face.jpg"

mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
  xvfb-run -a -s "-screen 0 1100x700x24" "$0" --inside "$build/Glyphsmith/glyphsmith" "$out" "$project" "$work/face.jpg"
echo "screenshots in $out:"
ls "$out"
cat "$out/measures.txt"
