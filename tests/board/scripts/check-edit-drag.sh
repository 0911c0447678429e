#!/usr/bin/env bash
# Drags a default tile in edit mode on a fresh device and saves; restarts the device and does it again.
# Each time the board file has the tile moved by 60 points more.
set -euo pipefail
velmo=$1
scripts=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
board="$home/Documents/main.xml"
# The first tile below the background: its transform's horizontal move.
moved() { grep -o 'tx="[^"]*"' "$board" | sed -n 2p; }

"$velmo" --home "$home" --script "$scripts/edit-drag.script" > /dev/null
[ "$(moved)" = 'tx="60.000000"' ] || { echo "first start: the tile was not saved moved: $(moved)"; cat "$board"; exit 1; }

"$velmo" --home "$home" --script "$scripts/edit-drag-again.script" > /dev/null
[ "$(moved)" = 'tx="120.000000"' ] || { echo "after a restart: the tile was not saved moved: $(moved)"; cat "$board"; exit 1; }
# The background and the eight other tiles stayed where they were.
[ "$(grep -c 'tx="0.000000"' "$board")" = 9 ] || { echo "other tiles moved too"; cat "$board"; exit 1; }
echo "edit drag ok"
