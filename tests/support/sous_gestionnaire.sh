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

# Each waits for its server to be ready, however long a fresh or loaded
# machine takes, and a server that never comes up is named instead of
# letting the test meet a half-started desktop.
attend() { # <what> <condition>
  local debut=$SECONDS
  until eval "$2"; do
    if (( SECONDS - debut > 120 )); then
      echo "sous_gestionnaire.sh: $1 ne demarre pas" >&2
      exit 1
    fi
    sleep 0.05
  done
}

exec 3>"$dossier/ecran"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
attend Xvfb '[ -s "$dossier/ecran" ]'
export DISPLAY=":$(head -n1 "$dossier/ecran")"

# Openbox runs its start-up command once it manages the screen: claiming the
# root window comes earlier, before it handles the first windows mapped.
openbox --sm-disable --startup "touch $dossier/pret" >"$dossier/openbox.log" 2>&1 &
pids+=($!)
attend openbox '[ -e "$dossier/pret" ]'

export QT_QPA_PLATFORM=xcb
"$@"
