#!/bin/sh
# Checks the built content: both archives exist and list the expected entries, every shipped
# level passes level-check, the bot (seed 1) wins every level in NoLose mode and the first five
# in Strategy mode, printing a table of the results, and the assembler writes the same bytes
# twice.
#   CheckContent.sh QUARZEL_DATA DATAPACK BIN_FOLDER LEVELS_FOLDER
set -u
tool=$1; pack=$2; bin=$3; levels=$4
game=$bin/game/game.zxc
lv=$bin/levels/levels.zxc
fail=0
bad() { echo "FAIL: $*"; fail=1; }

gl=$("$tool" zxc list "$game") || bad "cannot list $game"
ll=$("$tool" zxc list "$lv") || bad "cannot list $lv"
for e in fishkaShapes.xml MetaColors.xml BossTypes.xml GamePlay2.jpg Title.jpg TitleSketch.jpg \
         Frag1.png Frag4.png FragHint.png cursor_line.png colorbomb_small_line.png boomcolorstar.png \
         boss_imp._JPG boss_imp._PNG DeadProgressBarGreen._aim NyxUnicode.xml sounds.dat musics.dat \
         1_put.ogg Level-drift.mo3; do
    echo "$gl" | grep -q "$e" || bad "game.zxc lacks $e"
done
for e in Cell_glass.png HexV_opal.png sign0.png sign6.png map_dawn1.png deco_night2.png Level1.xml Level20.xml; do
    echo "$ll" | grep -q "$e" || bad "levels.zxc lacks $e"
done

# play LEVEL MODE MODENAME: the bot must win LEVEL in MODE with seed 1; one table row.
play() {
    result=$("$tool" play "$lv" "$game" "$1" --mode "$2" --seed 1 --max-puts 300 | tail -1)
    case "$result" in
        result:*) ;;
        *) bad "play $1 $3 gave no result"; return ;;
    esac
    set -- "$@" $result
    printf '%-12s %-9s %-6s %5s %6s\n' "$1" "$3" "$5" "${6#puts=}" "${7#score=}"
    [ "$5" = won ] || bad "the bot does not win $1 in $3 mode (seed 1)"
}

for file in "$levels"/Level*.xml; do
    name=$(basename "$file")
    out=$("$tool" level-check "$lv" "$game" "$name")
    [ "$out" = "$name: no problems" ] || bad "level-check $name: $out"
done
printf '%-12s %-9s %-6s %5s %6s\n' level mode result puts score
for n in $(seq 1 20); do
    [ -f "$levels/Level$n.xml" ] || bad "Level$n.xml is not shipped"
    play "Level$n.xml" 1 NoLose
done
for n in 1 2 3 4 5; do
    play "Level$n.xml" 3 Strategy
done

tmp=$(mktemp -d)
"$pack" "$tmp/a.zxc" --plain "$levels/Level2.xml=Plain2.xml" --cipher "$levels/Level1.xml" --compact "$bin/../data/art/compact/boss_imp.png" &&
"$pack" "$tmp/b.zxc" --plain "$levels/Level2.xml=Plain2.xml" --cipher "$levels/Level1.xml" --compact "$bin/../data/art/compact/boss_imp.png" &&
cmp -s "$tmp/a.zxc" "$tmp/b.zxc" || bad "datapack is not deterministic"
rm -rf "$tmp"
exit $fail
