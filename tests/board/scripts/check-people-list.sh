#!/usr/bin/env bash
# Opens the people list on the bundled contacts and checks what it shows: the sections in the order given
# (accented initials come under "-", as the list files them), and the section index below the search bar
# and clear of every row's badge. Keeps the picture in the shots folder given; further arguments go to
# velmo (a device setting such as --name-order).
# usage: check-people-list.sh VELMO SCRIPT "A B C" SHOTS [VELMO OPTIONS...]
set -euo pipefail
velmo=$1
script=$2
sections=$3
shots=$4
shift 4
home=$(mktemp -d)
mkdir -p "$shots"
trap 'rm -rf "$home"' EXIT
"$velmo" --home "$home" --shots "$shots" --script "$script" "$@" > "$home/dump.txt"
test -s "$shots/people-list.png" || { echo "no picture of the list"; exit 1; }
index=$(grep 'UITableViewIndex' "$home/dump.txt" || true)
[ -n "$index" ] || { echo "no section index"; cat "$home/dump.txt"; exit 1; }
case "$index" in
*"\"$sections\""*) ;;
*) echo "sections not in the order \"$sections\": $index"; exit 1 ;;
esac
# The index's frame in the table: x y; width height. It starts below the 44-point search bar.
read -r ix iy < <(sed -E 's/.*UITableViewIndex \(([0-9.]+) ([0-9.]+);.*/\1 \2/' <<< "$index")
bar=$(grep 'UISearchBar' "$home/dump.txt" | sed -E 's/.*UISearchBar \(([0-9.]+) ([0-9.]+); ([0-9.]+) ([0-9.]+)\).*/\2 \4/')
read -r by bh <<< "$bar"
awk -v iy="$iy" -v by="$by" -v bh="$bh" 'BEGIN { exit !(iy >= by + bh) }' ||
    { echo "the index ($index) lies under the search bar ($bar)"; exit 1; }
# Every badge ends left of the index: its x and width inside the row's content view, which starts at the
# x of the view line before it.
awk -v ix="$ix" '
    # The four numbers of a frame "(x y; w h)".
    function frame(line, out,   s) { s = line; sub(/^[^(]*\(/, "", s); sub(/\).*/, "", s); gsub(/;/, "", s); return split(s, out, " ") }
    /TDBadgeCell/ { inCell = 1; content = -1; next }
    inCell && content < 0 && /UIView \(/ { frame($0, f); content = f[1]; next }
    /TDBadgeView/ {
        frame($0, f)
        right = content + f[1] + f[3]
        if (right > ix) { print "a badge reaches " right ", the index starts at " ix; bad = 1 }
        badges++
    }
    END { if (!badges) { print "no badges"; bad = 1 } exit bad }' "$home/dump.txt"
echo "people list ok"
