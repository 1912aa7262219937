#!/bin/bash
# window-shots.sh [BUILD_DIR] [OUT_DIR]   (default: build, BUILD_DIR/screenshots)
# Starts the program under Xvfb with the scanner simulator and saves
# screenshots of its windows, so anyone can look at them: the first start
# (Setup opening by itself and finding the scanner), Setup, calibration,
# the welcome window and the About box in both brands. Uses display :11,
# started with openbox when no server answers there. Needs Xvfb, openbox,
# xdotool, xset, xwd, xprop, xwininfo and imagemagick (convert).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
mkdir -p "${2:-$build/screenshots}"
out=$(cd "${2:-$build/screenshots}" && pwd)
export DISPLAY=:11
work=$(mktemp -d /tmp/omr-shots.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! xset q >/dev/null 2>&1; then
  Xvfb :11 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xset q >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
fi
# Key auto-repeat off: a key held by a slow step must not flood the program.
xset r off

shot() { sleep "${2:-0.8}"; "$here/screen-shot.sh" "$out/$1.png"; echo "saved $out/$1.png"; }
# Waits (up to $2 seconds, default 15) for a shown window titled exactly $1
# that is not $3; prints its id.
window() {
  local limit=$(( ${2:-15} * 10 )) id
  for _ in $(seq "$limit"); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${3:-none}" | tail -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window \"$1\"" >&2
  return 1
}
# Clicks at client coordinates of a window; presses a key in a window.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
press() { xdotool windowactivate --sync "$1" 2>/dev/null || true; xdotool key "$2"; }

# One run of the program under the name $1 (a link to the executable: the
# brand follows the name), with its own program folder and port folder and
# the simulator on port 3.
start() {
  local name=$1 home="$work/$1"
  mkdir -p "$home/ports"
  ln -sf "$build/bin/Scorvane" "$home/$name"
  "$build/bin/scansim" --com 3 --ports "$home/ports" --feed 700 >"$home/scansim.log" 2>&1 &
  sim=$!
  pids+=($sim)
  sleep 0.5
  OMR_HOME="$home" OMR_PORTS="$home/ports" "$home/$name" >"$home/program.log" 2>&1 &
  program=$!
  pids+=($program)
}
stop() {
  kill "$program" "$sim" 2>/dev/null || true
  wait "$program" "$sim" 2>/dev/null || true
}

# Veltrane, first start: the set-up dialog opens by itself and finds the
# simulated scanner on port 3; then calibration and the About box.
start Scorvane
first=$(window Information)
shot first-start
press "$first" Return
found=$(window Information 30 "$first")
shot setup-found
press "$found" Return
setup=$(window "Veltmach Setup")
shot setup
click "$setup" 160 130                      # Calibrate
cal=$(window "Calibrate Veltmach")
shot calibration 2.5
shot calibration-complete 5                 # in the pause after the last sheet
stored=$(window Information 40 "$found")    # after the pause and the store
shot calibration-stored
press "$stored" Return
sleep 0.5
click "$(window "Veltmach Setup")" 190 176  # OK
main=$(window "Veltrane Scorvane")
shot welcome-veltrane
click "$main" 456 26                        # About
about=$(window "About Veltrane Wizard")
shot about-veltrane
press "$about" Return
stop

# Ombrix, with its port already stored: straight to the welcome window.
mkdir -p "$work/OMBXscore"
printf '[Main]\r\nPortNo=3\r\n' >"$work/OMBXscore/OmbrixSettings.ini"
start OMBXscore
main=$(window "Ombrix Scorvane")
shot welcome-ombrix
click "$main" 456 26
about=$(window "About Ombrix")
shot about-ombrix
press "$about" Return
stop
