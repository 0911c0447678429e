#!/usr/bin/env bash
# Picks a person for an empty tile on a fresh device and checks the tile, the board file and the call.
set -euo pipefail
velmo=$1
script=$2
home=$(mktemp -d)
shots=$(mktemp -d)
trap 'rm -rf "$home" "$shots"' EXIT
"$velmo" --home "$home" --shots "$shots" --script "$script" > /dev/null
log="$home/Device/opened-urls.log"
grep -qx 'tel:+46701234567' "$log" || { echo "no call in $log"; cat "$log" 2>/dev/null; exit 1; }
grep -q 'tel:+46701234567' "$home/Documents/main.xml" || { echo "the pick was not saved"; exit 1; }
test -s "$home/Documents/image001.png" || { echo "no photo for the tile"; exit 1; }
test -s "$shots/filled.png" || { echo "no screenshot"; exit 1; }
echo "people pick ok"
