#!/usr/bin/env bash
# The built game in a real window on a virtual X screen with a window manager, played with
# xdotool as a person would: the title, a new game of no-lose play, clicks over the board
# until crystals are put, Alt+Enter to full screen and back (the queue's crystals still drawn
# after each), the game menu by Esc, and its Quit button ending the program. Exit 77
# (skipped) without Xvfb, openbox, xdotool or ImageMagick.
#
# RealWindow.sh BIN_DIR DESCRIPTION.li OUT_DIR
set -uo pipefail

bin="$1"
description="$2"
out="$3"
for program in Xvfb openbox xdotool import convert; do
    command -v "$program" > /dev/null || { echo "no $program: skipped"; exit 77; }
done

rm -rf "$out"
mkdir -p "$out/data" "$out/home"
for folder in game levels lng; do cp -r "$bin/$folder" "$out/data/"; done
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
    wait 2> /dev/null
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*"
    echo "--- the game's log:"
    cat "$out/data/Quarzel.log" 2> /dev/null
    exit 1
}
export HOME="$out/home" XDG_CONFIG_HOME="$out/home/config" XDG_DATA_HOME="$out/home/data"
# Xlib keeps a few allocations to the end of the process.
export ASAN_OPTIONS=detect_leaks=0

# The working archives and the composed crystals first, so that the window's start is quick.
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$bin/quarzel" --headless --data-dir "$out/data" --quit-when title > /dev/null ||
    fail "the headless start did not reach the title"

exec 3> "$out/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2> /dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
[ -s "$out/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$out/display")"
openbox > /dev/null 2>&1 &
pids+=($!)
sleep 1

SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$bin/quarzel" --data-dir "$out/data" \
    > "$out/stdout" 2> "$out/stderr" &
game=$!
pids+=("$game")

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Quarzel$' | head -n 1)
[ -n "$window" ] || fail "no window named Quarzel"
# The title comes about three seconds after the intro starts.
for _ in $(seq 200); do grep -q "Game Started" "$out/data/Quarzel.log" 2> /dev/null && break; sleep 0.1; done
sleep 5

# Where a control's centre is, from the interface description as the game lays it out.
centre() {
    "$bin/quarzel-data" ui-dump "$description" --pictures "$bin/game/game.zxc" --show "$1" |
        awk -F '\t' -v name="$2" '$1 == name { split($4, size, " "); split($5, at, " ");
            print at[1] + int(size[3] / 2), at[2] + int(size[4] / 2) }'
}
click_at() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.05
    xdotool click 1
}
click() {
    local at
    at=$(centre "$1" "$2")
    [ -n "$at" ] || fail "no control $2"
    # shellcheck disable=SC2086
    click_at $at
    sleep 0.5
}
# The share of bright pixels of the queue panel in a screenshot of the window at the given
# scale: two queued crystals give from a thirtieth to a seventh, the dark panel without them
# three thousandths.
queue_colour() {
    import -window "$window" "$out/$1.png"
    convert "$out/$1.png" -crop "$(awk -v s="$2" 'BEGIN { printf "%dx%d+%d+%d",
        120 * s, 160 * s, 630 * s, 320 * s }')" \
        -fx 'max(r,max(g,b))>0.45' \
        -format '%[fx:mean]' info:
}
enough() { awk -v v="$1" 'BEGIN { exit !(v >= 0.02) }'; }
# The queue's share once the pictures are back: a display switch loads every picture again,
# which takes a few seconds on a busy machine.
settled_colour() {
    local share
    for _ in $(seq 30); do
        share=$(queue_colour "$1" "$2")
        enough "$share" && break
        sleep 1
    done
    echo "$share"
}

# A quick save is written only while a level is played: it shows when the game has begun
# (on a busy machine the title may come later than the log says).
in_play=no
for _ in $(seq 10); do
    click WTitle WTitle_BNewGame
    # No-lose play: a busy machine's slow clicks cannot lose the level meanwhile.
    click WStartGame WStartGame_RBNoLose
    click WStartGame WStartGame_BPlay
    sleep 1
    xdotool key --window "$window" F2
    sleep 1
    if [ -f "$out/data/saves/QuickSave.sav" ]; then
        in_play=yes
        break
    fi
    sleep 2
done
if [ "$in_play" != yes ]; then
    import -window "$window" "$out/no-game.png"
    fail "no level came of the title's New game and Play (the window is in no-game.png)"
fi
sleep 2

# Clicks over the board where the structure stands, until a put has happened: the quick
# save then holds another board than the level's four crystals at score 0.
put=no
for y in $(seq 220 21 400) $(seq 230 21 410); do
    for x in $(seq 140 24 560); do
        click_at "$x" "$y"
    done
    sleep 1.6
    xdotool key --window "$window" F2
    sleep 0.5
    if [ -f "$out/data/saves/QuickSave.sav" ]; then
        "$bin/quarzel-data" decode-text < "$out/data/saves/QuickSave.sav" > "$out/save.txt"
        crystals=$(grep -o '<Fishka ' "$out/save.txt" | wc -l)
        if [ "$crystals" -ne 4 ] || ! grep -q 'Score="0"' "$out/save.txt"; then
            put=yes
            break
        fi
    fi
done
if [ "$put" != yes ]; then
    import -window "$window" "$out/no-put.png"
    fail "no put came of the clicks over the board (the window is in no-put.png)"
fi
xdotool mousemove --window "$window" 300 300
sleep 1

window_share=$(settled_colour in-window 1)
enough "$window_share" || fail "the queue shows no crystal in the window ($window_share)"
xdotool key --window "$window" alt+Return
sleep 1
full_share=$(settled_colour full-screen 1.28)
enough "$full_share" || fail "the queue shows no crystal after Alt+Enter ($full_share)"
xdotool key --window "$window" alt+Return
sleep 1
again_share=$(settled_colour window-again 1)
enough "$again_share" || fail "the queue shows no crystal after Alt+Enter back ($again_share)"

xdotool key --window "$window" Escape
sleep 1
click WGameMenu WGameMenu_BQuit
for _ in $(seq 100); do kill -0 "$game" 2> /dev/null || break; sleep 0.1; done
kill -0 "$game" 2> /dev/null && fail "the game menu's Quit did not end the game"
wait "$game"
code=$?
[ "$code" -eq 0 ] || fail "the game ended with $code: $(cat "$out/stderr")"
echo "queue colour: window $window_share, full screen $full_share, window again $again_share"
