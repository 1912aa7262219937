#!/bin/bash
# wizard-screenshots.sh [OUTDIR]
# Photographs each of the scoring wizard's six pages, filled with a small
# class, as OUTDIR/wizard-page-<n>.png (default OUTDIR: build/screenshots).
# Uses the X display $DISPLAY when set; otherwise starts Xvfb on :14 with
# openbox for the run. Needs the desktop packages (scripts/packages/desktop.txt)
# and a built build/bin/wizard_pages.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/build/screenshots}
tool=$here/build/bin/wizard_pages
[ -x "$tool" ] || { echo "build the wizard_pages target first" >&2; exit 1; }
mkdir -p "$out"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:14
  Xvfb :14 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
fi
xset r off 2>/dev/null || true
home=$(mktemp -d /tmp/wizard-shots-XXXXXX)
for page in 0 1 2 3 4 5; do
  log=$home/page$page.log
  OMR_HOME=$home QT_QPA_PLATFORM=xcb "$tool" "$page" >"$log" 2>&1 &
  app=$!
  for _ in $(seq 100); do grep -q "page $page shown" "$log" && break; sleep 0.1; done
  sleep 1
  "$here/scripts/screen-shot.sh" "$out/wizard-page-$page.png"
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  echo "$out/wizard-page-$page.png"
done
rm -rf "$home"
