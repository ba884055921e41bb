#!/bin/sh
# ppsample-shot.sh <ppsample> <out.xwd>, inside the X server xvfb-run starts: the pp sample's print
# preview, the whole screen saved once it shows, then Escape closes it; the sample's status is ours.
sample=$1 out=$2
"$sample" >/dev/null 2>&1 &
pid=$!
i=0
until xdotool search --name 'Visualizando Impressão' >/dev/null 2>&1; do
  i=$((i + 1))
  [ $i -gt 600 ] && { kill $pid; echo "no preview window" >&2; exit 1; }
  sleep 0.1
done
sleep 2
xwd -root -silent -out "$out"
xdotool search --name 'Visualizando Impressão' windowactivate --sync key Escape 2>/dev/null ||
  xdotool search --name 'Visualizando Impressão' windowfocus key Escape
i=0
while kill -0 $pid 2>/dev/null; do
  i=$((i + 1))
  [ $i -gt 300 ] && { kill $pid; echo "Escape left the preview open" >&2; exit 1; }
  sleep 0.1
done
wait $pid
