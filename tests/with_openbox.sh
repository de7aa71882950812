#!/bin/sh
# Runs a program on the X server of $DISPLAY with openbox managing its windows, and exits with
# the program's status. Usage: with_openbox.sh OPENBOX PROGRAM [ARGUMENT...]
set -u
openbox=$1
shift
ready=$(mktemp -u "${TMPDIR:-/tmp}/openbox-ready.XXXXXX")
# Openbox runs its start-up command once it manages the screen.
"$openbox" --startup "touch $ready" &
wm=$!
tries=0
while [ ! -e "$ready" ]; do
    if ! kill -0 "$wm" 2>/dev/null || [ "$tries" -ge 200 ]; then
        echo "with_openbox.sh: openbox did not start" >&2
        kill "$wm" 2>/dev/null
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.05
done
rm -f "$ready"
"$@"
status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit "$status"
