#!/usr/bin/env bash
# Starts the CUPS scheduler when it is not running and adds the PDF queue the
# printing tests print through. Safe to run again. Never fails the caller:
# where CUPS cannot start, the tests run on the virtual printer and say so.
QUEUE=MivoPDF
PPD=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
SUDO=""
[ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null && SUDO="sudo -n"

running() { [ "$(LC_ALL=C lpstat -r 2>/dev/null)" = "scheduler is running" ]; }

if ! command -v cupsd >/dev/null; then
  echo "cups-queue: cupsd is not installed; printing tests use the virtual printer"
  exit 0
fi
if ! running; then
  $SUDO cupsd >/dev/null 2>&1 || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    running && break
    sleep 0.5
  done
fi
if ! running; then
  echo "cups-queue: the CUPS scheduler could not be started; printing tests use the virtual printer"
  exit 0
fi
if ! lpstat -v "$QUEUE" >/dev/null 2>&1; then
  # lpadmin warns that printer drivers are deprecated; the queue works all the same.
  if ! $SUDO lpadmin -p "$QUEUE" -v cups-pdf:/ -m "$PPD" -E >/dev/null 2>&1; then
    echo "cups-queue: could not add the $QUEUE queue; printing tests use the virtual printer"
    exit 0
  fi
fi
$SUDO cupsenable "$QUEUE" >/dev/null 2>&1 || true
$SUDO cupsaccept "$QUEUE" >/dev/null 2>&1 || true
echo "cups-queue: $QUEUE ready ($(lpstat -v "$QUEUE" 2>/dev/null))"
exit 0
