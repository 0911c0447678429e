#!/usr/bin/env bash
# Picks a person for an empty tile on a fresh device and checks the tile, the board file and the call.
set -euo pipefail
velmo=$1
script=$2
home=$(mktemp -d)
shots=$(mktemp -d)
trap 'rm -rf "$home" "$shots"' EXIT
# What a save cut short by a kill left behind goes at the next start.
mkdir -p "$home/Documents"
echo torn > "$home/Documents/.main.xml.Ab12Cd"
"$velmo" --home "$home" --shots "$shots" --script "$script" > /dev/null 2> "$shots/stderr.txt"
test ! -e "$home/Documents/.main.xml.Ab12Cd" || { echo "the stale temporary file is still there"; exit 1; }
grep -q '.main.xml.Ab12Cd was removed' "$shots/stderr.txt" || { echo "its removal was not logged"; exit 1; }
log="$home/Device/opened-urls.log"
grep -qx 'tel:+46701234567' "$log" || { echo "no call in $log"; cat "$log" 2>/dev/null; exit 1; }
grep -q 'tel:+46701234567' "$home/Documents/main.xml" || { echo "the pick was not saved"; exit 1; }
test -s "$home/Documents/image001.png" || { echo "no photo for the tile"; exit 1; }
test -s "$shots/filled.png" || { echo "no screenshot"; exit 1; }
echo "people pick ok"
