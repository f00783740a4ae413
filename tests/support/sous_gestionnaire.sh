#!/usr/bin/env bash
# Runs a test program on a real X server (Xvfb) under a real window manager
# (openbox), where stacking and focus are the window manager's decisions.
# Usage: sous_gestionnaire.sh <program> [arguments]
set -euo pipefail
for outil in Xvfb openbox xprop; do
  command -v "$outil" >/dev/null || { echo "il manque $outil (scripts/bootstrap)" >&2; exit 1; }
done

dossier="$(mktemp -d)"
pids=()
fin() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dossier"
}
trap fin EXIT

exec 3>"$dossier/ecran"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$dossier/ecran" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$dossier/ecran")"

openbox --sm-disable >"$dossier/openbox.log" 2>&1 &
pids+=($!)
# The manager is up once it has claimed the root window.
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.05
done

export QT_QPA_PLATFORM=xcb
"$@"
