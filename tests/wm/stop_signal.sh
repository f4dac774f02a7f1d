#!/usr/bin/env bash
# Told to stop (a shutdown, a "kill"), the program copies what is typed and
# not saved, ends at once with no question on screen, and the next start
# offers the copy. Runs the real program on a virtual X server.
set -u
program=$1
. "$(dirname "$0")/desktop.sh"
# The clock alone would copy nothing during the check.
export PEMO_RECOVERY_INTERVAL=3600000

printf '<p>\xe9t\xe9</p>\r\n' > "$work/page.htm"
"$program" "$work/page.htm" >/dev/null 2>&1 &
first=$!
pids+=("$first")
# An opened page goes to the recent files of the settings.
wait_opened page.htm
sleep 1
window=$(xdotool search --name 'Pemo HTML' | head -1)
xdotool windowactivate --sync "$window" 2>/dev/null
xdotool key --window "$window" ctrl+Home
xdotool type --delay 150 'abc'
sleep 1
kill -TERM "$first"
for _ in $(seq 1 40); do kill -0 "$first" 2>/dev/null || break; sleep 0.25; done
kill -0 "$first" 2>/dev/null && fail "le programme ne s'est pas arrêté"
wait "$first"; code=$?
[ "$code" = 143 ] || fail "code de sortie $code au lieu de 143"
copy=$(compgen -G "$copies/*.htm" | head -1)
[ -n "$copy" ] || fail "aucune copie de ce qui était tapé"
printf 'abc<p>\xe9t\xe9</p>\r\n' | cmp -s - "$copy" || fail "la copie diffère de la page tapée"
printf '<p>\xe9t\xe9</p>\r\n' | cmp -s - "$work/page.htm" || fail "le fichier a été changé"

"$program" >/dev/null 2>&1 &
pids+=($!)
wait_for 'Récupération de documents' 120 || fail "la copie n'est pas proposée au démarrage suivant"
echo "copie faite à l'arrêt demandé, proposée au démarrage suivant"
exit 0
