#!/bin/sh
# Installs the built game into a temporary prefix and checks the result as a desktop sees it:
# the programs, the data under share/quarzel, the launcher, the icons at their true sizes and
# the software centre description (both validated), then starts the installed game headless
# with its home, data and config folders in the temporary folder and reads its log.
#   CheckInstall.sh CMAKE BUILD_FOLDER SOURCE_FOLDER APP_ID
set -u
cmake=$1; build=$2; source=$3; id=$4
fail=0
bad() { echo "FAIL: $*"; fail=1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quarzel-install.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
share=$prefix/share

if ! "$cmake" --install "$build" --prefix "$prefix" > "$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

for program in quarzel quarzel-data; do
    [ -x "$prefix/bin/$program" ] || bad "bin/$program is not installed"
done
for file in quarzel/game/game.zxc quarzel/levels/levels.zxc \
            applications/$id.desktop metainfo/$id.metainfo.xml; do
    [ -s "$share/$file" ] || bad "share/$file is not installed"
done
for file in "$source"/data/lng/*.lng; do
    [ -e "$file" ] || continue
    cmp -s "$file" "$share/quarzel/lng/$(basename "$file")" ||
        bad "share/quarzel/lng/$(basename "$file") is missing or differs"
done
"$prefix/bin/quarzel-data" zxc list "$share/quarzel/game/game.zxc" | grep -q "^NyxUnicode.xml	" ||
    bad "the installed quarzel-data cannot list the installed game.zxc"

# A PNG's header: width and height at byte 16, colour type at byte 25 (6: RGB with alpha).
for size in 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x${size}/apps/$id.png
    if [ ! -f "$icon" ]; then
        bad "no ${size}x${size} icon"
        continue
    fi
    set -- $(od -An -tu1 -j16 -N10 "$icon")
    width=$(( ($1 << 24) | ($2 << 16) | ($3 << 8) | $4 ))
    height=$(( ($5 << 24) | ($6 << 16) | ($7 << 8) | $8 ))
    [ "$width x $height" = "$size x $size" ] || bad "the ${size}x${size} icon is $width x $height"
    [ "${10}" = 6 ] || bad "the ${size}x${size} icon has no alpha channel (colour type ${10})"
done

desktop=$share/applications/$id.desktop
grep -qx "Icon=$id" "$desktop" || bad "the launcher does not name the icon $id"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || bad "the launcher starts \"$exec_name\", which is not installed"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" ||
    bad "the metainfo does not launch $id.desktop"
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$desktop" || bad "desktop-file-validate rejects the launcher"
else
    bad "desktop-file-validate is missing (scripts/deps.sh installs desktop-file-utils)"
fi
if command -v appstreamcli > /dev/null; then
    appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" > "$tmp/appstream.log" 2>&1 ||
        { cat "$tmp/appstream.log"; bad "appstreamcli rejects the metainfo"; }
else
    bad "appstreamcli is missing (scripts/deps.sh installs appstream)"
fi

# The installed game, started from an empty folder with a home of its own.
mkdir -p "$tmp/home" "$tmp/run"
(cd "$tmp/run" && env HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/data" \
    XDG_CONFIG_HOME="$tmp/home/config" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$prefix/bin/quarzel" --headless --quit-at 3000 > "$tmp/out.txt" 2>&1)
code=$?
[ $code -eq 0 ] || { cat "$tmp/out.txt"; bad "the installed quarzel exited with $code"; }
[ -z "$(ls -A "$tmp/run")" ] || bad "the game wrote into its working folder: $(ls -A "$tmp/run")"

# Its files go next to the data when that folder is writable (a user's own prefix), else
# to the user's data folder, as for a system-wide install.
if [ -w "$share/quarzel" ]; then
    user=$share/quarzel
    [ ! -e "$tmp/home/data/quarzel" ] || bad "a writable install still made the user data folder"
else
    user=$tmp/home/data/quarzel
fi
log=$user/Quarzel.log
if [ -f "$log" ]; then
    for line in "File Folders morfed Ok..." "Nyx Font Loaded Ok..." "Nyx Interface Loaded Ok..." \
                "Game Started..."; do
        grep -qF "} $line" "$log" || bad "the log lacks \"$line\""
    done
    if grep -Ei "cannot|can not|wrong|not found|error" "$log" "$tmp/out.txt"; then
        bad "the installed game reported errors"
    fi
    [ -f "$user/temp/game.zxc" ] && [ -f "$user/temp/levels.zxc" ] ||
        bad "the working archives are not in $user/temp"
else
    bad "no log at $log"
fi

[ $fail -eq 0 ] && echo "install layout, launcher, icons, metainfo and installed run all good"
exit $fail
