#!/usr/bin/env bash
# The program on a real X display (Xvfb, no window manager), with the xcb
# platform. Screenshots go to SHOTS.
#
#   desktop_test.sh shipped DOTPRESS SHOTS
#       Starts the built dotpress, waits until its window is mapped and drawn,
#       photographs the screen, clicks Exit and expects it to end with 0.
#   desktop_test.sh cycle DRIVER LOGO_BMP REFUSED_BMP SHOTS
#       Lays out bitmaps/ beside the driver (LOGO_BMP as dotpress-logo.bmp and
#       REFUSED_BMP as refused.bmp) and lets desktop_driver go through the
#       whole cycle.
set -euo pipefail

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

for tool in xvfb-run xauth xdotool xwininfo import convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done

export QT_QPA_PLATFORM=xcb
# A screen of its own, with the size that the window is centred on.
on_x() {
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
}

# Inside the X server: the shipped program.
shipped_on_x() {
    local dotpress="$1" shots="$2" wid="" pid status colours
    "$dotpress" &
    pid=$!
    for _ in $(seq 1 300); do
        wid=$(xdotool search --onlyvisible --name '^Dotpress-0\.1$' 2>/dev/null | head -n 1) || true
        [ -n "$wid" ] && break
        kill -0 "$pid" 2>/dev/null || fail "dotpress ended before it showed its window"
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no window called Dotpress-0.1 within 30 s"
    xwininfo -id "$wid" | grep -q 'Map State: IsViewable' || fail "the window is not mapped"
    echo "dotpress (pid $pid) shows window $wid: $(xwininfo -id "$wid" | grep -E 'Width|Height' | tr -s ' \n' ' ')"

    # Drawn once the screen holds more than a handful of colours.
    for _ in $(seq 1 100); do
        import -window root "$shots/desktop-dotpress.png"
        colours=$(convert "$shots/desktop-dotpress.png" -format %k info:)
        [ "$colours" -gt 8 ] && break
        sleep 0.1
    done
    [ "$colours" -gt 8 ] || fail "the window was never drawn ($colours colours on the screen)"
    echo "saved $shots/desktop-dotpress.png ($colours colours)"
    kill -0 "$pid" 2>/dev/null || fail "dotpress is no longer running"

    # Exit: 5520, 6480 twips, 855 x 375, i.e. centred at 396, 444 pixels.
    xdotool mousemove --window "$wid" 396 444 click 1
    for _ in $(seq 1 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        fail "dotpress did not end on Exit within 20 s"
    fi
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "dotpress ended with status $status"
    echo "dotpress ended on Exit with status 0"
}

mode="${1:-}"
case "$mode" in
shipped)
    [ $# -eq 3 ] || fail "usage: $0 shipped DOTPRESS SHOTS"
    mkdir -p "$3"
    on_x bash "$0" shipped-on-x "$2" "$3"
    ;;
shipped-on-x)
    shipped_on_x "$2" "$3"
    ;;
cycle)
    [ $# -eq 5 ] || fail "usage: $0 cycle DRIVER LOGO_BMP REFUSED_BMP SHOTS"
    driver="$2" logo="$3" refused="$4" shots="$5"
    work="$(dirname "$driver")/bitmaps"
    rm -rf "$work"
    mkdir -p "$work" "$shots"
    cp "$logo" "$work/dotpress-logo.bmp"
    cp "$refused" "$work/refused.bmp"
    on_x "$driver" "$shots"
    ;;
*)
    fail "usage: $0 shipped|cycle ..."
    ;;
esac
