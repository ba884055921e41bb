#!/bin/sh
# screenshot.sh <viewer> <report> <out.xwd>, inside the X server xvfb-run starts: the viewer on the
# report, its information box answered with Enter, then the whole screen saved once the main
# window has shown the file. The viewer is stopped afterwards.
viewer=$1 report=$2 out=$3
"$viewer" "$report" >/dev/null 2>&1 &
pid=$!
wait_for() {
  i=0
  until xdotool search --name "$1" >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -gt 300 ] && return 1
    sleep 0.1
  done
}
wait_for 'Informação' || { kill $pid; echo "no information box" >&2; exit 1; }
sleep 0.5
xdotool key Return
wait_for 'Visualizador' || { kill $pid; echo "no main window" >&2; exit 1; }
sleep 2
xwd -root -silent -out "$out"
kill $pid
wait $pid 2>/dev/null
exit 0
