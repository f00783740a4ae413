#!/usr/bin/env bash
# The titles the window system shows are the station's own texts, with nothing
# appended: the password dialog's, then the main window's once logged in.
# Runs on X under a window manager (tests/support/sous_gestionnaire.sh).
# Usage: titres_ecran.sh <calvanet> <version> <commentaire>
set -euo pipefail
calvanet="$1"
titre_dialogue="Calvanet   v$2 ($3)"

for outil in xwininfo xdotool; do
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

export CALVANET_MOTS_DE_PASSE="$(dirname "$0")/../../station/operateurs-demo.mdp"

titres() { xwininfo -root -tree | sed -n 's/^ *0x[0-9a-f]* "\(.*\)": .*/\1/p'; }
attend_titre() {
  for _ in $(seq 1 200); do
    titres | grep -qxF -- "$1" && return 0
    sleep 0.05
  done
  echo "titre attendu absent : [$1]" >&2
  echo "titres a l'ecran :" >&2
  titres >&2
  exit 1
}

"$calvanet" "pp=$dossier" com=/dev/null >"$dossier/calvanet.log" 2>&1 &
pids+=($!)

attend_titre "$titre_dialogue"
fenetre="$(xdotool search --name "^Calvanet   v" | head -n1)"
xdotool windowfocus --sync "$fenetre"
xdotool type --delay 10 demoy001
xdotool key Return

attend_titre "Test Rails/ Programmation/  com/dev/null op=Y"
if titres | grep -F -- "— Calvanet"; then
  echo "un titre porte un suffixe" >&2
  exit 1
fi
echo "titres exacts"
