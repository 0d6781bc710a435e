#!/bin/sh
# The player's way into Vespertil. The game runs from a game directory and writes
# its settings, log and snapshots there, so every player gets one of their own in
# the XDG data home (vespertil/): the shipped pictures and sounds are linked in, the
# shipped levels are linked one by one into its MAP/ beside any map the player drops
# there, and whatever else the player keeps there is left alone. The installed files
# are found from this script's own place, so the package unpacked anywhere (dpkg -x)
# runs as it does installed.
set -e
self=$(readlink -f "$0")
prefix=${self%/*/*}
data=$prefix/share/games/vespertil
game=$prefix/lib/games/vespertil/vespertil

home=${XDG_DATA_HOME:-}
case $home in
/*) ;;
*) home=$HOME/.local/share ;; # unset, empty or relative: the XDG base directory default
esac
dir=$home/vespertil
mkdir -p "$dir/MAP"

# A link is ours to point at this installation; a real file or folder is the player's.
ours() {
    [ -L "$1" ] || [ ! -e "$1" ]
}
for sub in GFX sfx; do
    if ours "$dir/$sub"; then ln -sfn "$data/$sub" "$dir/$sub"; fi
done
for link in "$dir"/MAP/*; do
    if [ -L "$link" ] && [ ! -e "$link" ]; then rm -f "$link"; fi # a level no longer shipped
done
for map in "$data"/MAP/*; do
    if [ -f "$map" ] && ours "$dir/MAP/${map##*/}"; then ln -sfn "$map" "$dir/MAP/${map##*/}"; fi
done

cd "$dir"
exec "$game" "$@"
