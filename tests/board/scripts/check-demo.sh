#!/usr/bin/env bash
# Runs the bundled demo on a fresh device and checks what it handed to the system.
set -euo pipefail
velmo=$1
resources=$2
home=$(mktemp -d)
shots=$(mktemp -d)
trap 'rm -rf "$home" "$shots"' EXIT
"$velmo" --home "$home" --shots "$shots" --script "$resources/demo.script" > "$shots/dump.txt"
log="$home/Device/opened-urls.log"
grep -qx 'http://itunes.apple.com/app/velmo/id428024839?mt=8' "$log" || { echo "no store page in $log"; cat "$log"; exit 1; }
grep -q '^itms-apps://.*viewContentsUserReviews' "$log" || { echo "no review page in $log"; exit 1; }
test -s "$home/Documents/main.xml" || { echo "no main.xml"; exit 1; }
test -s "$shots/board.png" || { echo "no screenshot"; exit 1; }
grep -q 'VelmoViewController\|TouchImageView' "$shots/dump.txt" || { echo "no dump"; exit 1; }
grep -rqs 'itunes.apple.com/app/velmo' "$home/Device/Messages" || { echo "no shared message"; exit 1; }
test -s "$shots/share-sheet.png" || { echo "no share sheet screenshot"; exit 1; }
echo "demo ok"
