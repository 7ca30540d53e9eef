#!/usr/bin/env bash
# Makes the pictures in docs/screenshots from a build (default build/, or BUILD_DIR): the
# title and its windows, a level in play and its menu, all headless runs of the game with
# scripted input, plus the data tool's contact sheet and starting boards.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build}"
bin="$build/bin"
out=docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
for folder in game levels lng; do cp -r "$bin/$folder" "$work/"; done

# A few saved games and high scores so that the lists have something to show.
mkdir -p "$work/saves"
touch "$work/saves/Before the boss.sav" "$work/saves/QuickSave.sav" "$work/saves/autosave.sav"
for entry in Mira:12840 Tomas:9310 Anja:7725 Player:4410; do
    printf '<High name="%s" score="%s" />' "${entry%%:*}" "${entry##*:}" |
        "$bin/quarzel-data" encode-text
    printf '\r\n'
done > "$work/HighScoresRTP.dat"

# shot NAME LANGUAGE CONTROL...: clicks the controls one after another from the title.
shot() {
    local name=$1 language=$2 tick=4000
    shift 2
    : > "$work/input.txt"
    for control in "$@"; do
        echo "$tick click $control" >> "$work/input.txt"
        tick=$((tick + 300))
    done
    echo "$tick move 790 590" >> "$work/input.txt"
    tick=$((tick + 500))
    echo "$tick screenshot $PWD/$out/$name.png" >> "$work/input.txt"
    "$bin/quarzel" --headless --data-dir "$work" --language "$language" --seed 3 \
        --input "$work/input.txt" --quit-at $((tick + 10))
}

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
shot title ENU
shot start ENU WTitle_BNewGame
shot options ENU WTitle_BOptions
shot load ENU WTitle_BLoadGame
shot highscores DEU WTitle_BHighScores
shot language RUS WTitle_BLanguage

# A turn-based game of the first level: clicks swept over the structure put crystals
# wherever they fit, then the view settles and Esc opens the game menu.
{
    echo "4000 click WTitle_BNewGame"
    echo "4300 click WStartGame_RBStrategy"
    echo "4500 click WStartGame_BPlay"
    tick=7500
    for y in $(seq 240 6 334); do
        for x in $(seq 240 6 466); do
            echo "$tick move $x $y"
            echo "$((tick + 5)) click $x $y"
            tick=$((tick + 20))
        done
    done
    echo "$((tick + 800)) move 420 200"
    echo "$((tick + 1500)) screenshot $PWD/$out/play.png"
    echo "$((tick + 1600)) key Escape"
    echo "$((tick + 2200)) screenshot $PWD/$out/menu.png"
    echo "$((tick + 2300)) quit"
} > "$work/input.txt"
"$bin/quarzel" --headless --data-dir "$work" --language ENU --seed 3 --input "$work/input.txt"

"$bin/quarzel-data" contact-sheet "$bin/game/game.zxc" "$bin/levels/levels.zxc" "$work/contact.png"
convert "$work/contact.png" -resize 60% "$out/contact-sheet.png"
mkdir -p "$work/boards"
"$bin/quarzel-data" board-picture "$bin/game/game.zxc" "$bin/levels/levels.zxc" --all \
    "$work/boards" > /dev/null
for level in 1 8 15 20; do cp "$work/boards/Level$level.png" "$out/board-level$level.png"; done
echo "pictures written to $out"
