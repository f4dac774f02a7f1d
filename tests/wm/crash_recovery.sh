#!/usr/bin/env bash
# A page with unsaved changes survives the program being killed: the copy is
# written while it runs, a second program started meanwhile leaves it alone,
# and the next start after the kill offers it in "Récupération de documents".
# Runs the real program on a virtual X server, with its own home folder.
# PEMO_SHOT=<file.png> keeps a picture of the recovery window.
set -u
program=$1
. "$(dirname "$0")/desktop.sh"
export PEMO_RECOVERY_INTERVAL=300

# A Windows-1252 page: accents, a no-break space, the euro sign.
printf '<html>\r\n<p>D\xe9j\xe0 10\xa0\x80 \xe9t\xe9</p>\r\n</html>\r\n' > "$work/page.htm"
cp "$work/page.htm" "$work/expected.htm"
"$program" "$work/page.htm" >/dev/null 2>&1 &
first=$!
pids+=("$first")
# An opened page goes to the recent files of the settings.
wait_opened page.htm

# The file vanishes under the page, which is marked modified: the page is
# now the only copy.
rm "$work/page.htm"
for _ in $(seq 1 20); do compgen -G "$copies/*.htm" >/dev/null && break; sleep 0.5; done
copy=$(compgen -G "$copies/*.htm" | head -1)
[ -n "$copy" ] || fail "aucune copie de récupération"
cmp -s "$copy" "$work/expected.htm" || fail "la copie diffère de la page"

# Another program started now must not take the copies of a running one.
"$program" >/dev/null 2>&1 &
second=$!
pids+=("$second")
for _ in $(seq 1 120); do
  [ "$(windows | grep -c '"Pemo HTML": ("pemohtml"')" -ge 2 ] && break
  sleep 0.5
done
sleep 2
[[ $(windows) == *"Récupération de documents"* ]] && fail "un autre programme a proposé les copies d'un programme actif"
kill "$second"; wait "$second" 2>/dev/null

kill -9 "$first"; wait "$first" 2>/dev/null
compgen -G "$copies/*.lock" >/dev/null || fail "le verrou du programme tué a disparu"
[ -f "$copy" ] || fail "la copie a disparu avec le programme"

"$program" >/dev/null 2>&1 &
pids+=($!)
wait_for 'Récupération de documents' 120 || fail "la fenêtre de récupération n'est pas apparue"
if [ -n "${PEMO_SHOT:-}" ]; then sleep 1; import -window root "$PEMO_SHOT"; fi
echo "copie proposée après l'arrêt brutal"
exit 0
