#!/usr/bin/env bash
# The real `ostrel` closed by SIGTERM, SIGINT and SIGHUP in the middle of a drive: each time it
# ends as its window's close would, with exit code 0 and the drive's options written.
# Usage: signals.sh OSTREL DEMO_DIR WORK_DIR
set -uo pipefail
ostrel="$1"
demo="$2"
work="$3"
fail() { echo "signals: $*"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
for sig in TERM INT HUP; do
    config="$work/config-$sig"
    QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$work/data" \
        "$ostrel" "$demo" --autopilot --silent >"$work/ostrel-$sig.log" 2>&1 &
    app=$!
    # The autopilot drives once the title has gone; the options are written when the drive
    # closes.
    sleep 4
    kill -s "$sig" "$app" || fail "the program had ended before SIG$sig: $(cat "$work/ostrel-$sig.log")"
    wait "$app"
    code=$?
    [ "$code" -eq 0 ] || fail "SIG$sig ended the program with $code: $(cat "$work/ostrel-$sig.log")"
    grep -q "Kanko=" "$config/Ostrel/vantor.conf" 2>/dev/null ||
        fail "SIG$sig: the drive's options were not written"
done
echo "signals: ok"
