#!/usr/bin/env bash
# desktop_test.sh DOTPRESS [SCREENSHOT]: the shipped program on an X display of
# its own (Xvfb, no window manager, the xcb platform). Its window must be seen
# mapped, and a click on Exit must end it with status 0.
set -euo pipefail
fail() { echo "FAILED: $*" >&2; exit 1; }
[ -n "${DISPLAY_OF_TEST:-}" ] || DISPLAY_OF_TEST=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"

"$1" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Dotpress-0\.1$' | head -n 1) || fail "no window called Dotpress-0.1 within 30 s"
xwininfo -id "$wid" | grep -q 'Map State: IsViewable' || fail "window $wid is not mapped"
[ -z "${2:-}" ] || import -window root "$2" || fail "no screenshot in $2"
# Exit: 5520, 6480 twips, 855 x 375, i.e. centred at 396, 444 pixels.
xdotool mousemove --window "$wid" 396 444 click 1
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT
(sleep 20 && kill "$pid") >"$log/watchdog" 2>&1 &
status=0
wait "$pid" || status=$?
kill $! 2>>"$log/watchdog" || true
[ "$status" -eq 0 ] || fail "dotpress did not end on Exit within 20 s with status 0 (status $status)"
echo "dotpress showed window $wid, mapped, and ended on Exit with status 0"
