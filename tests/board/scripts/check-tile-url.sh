#!/usr/bin/env bash
# Replaces a web request tile's address in the tile editor by script (the delete key, then a clear) and
# checks the address shown between the two and the one saved at the end.
set -euo pipefail
velmo=$1
script=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
"$velmo" --home "$home" --script "$script" > "$home/dump.txt"
grep -q 'UITextField .*"http://two.example/"' "$home/dump.txt" ||
    { echo "the delete key did not replace the address"; grep UITextField "$home/dump.txt"; exit 1; }
board="$home/Documents/main.xml"
grep -q '<parameters>http://three.example/</parameters>' "$board" || { echo "the cleared address was not saved"; cat "$board"; exit 1; }
[ "$(grep -c 'example/' "$board")" = 1 ] || { echo "an old address is left"; cat "$board"; exit 1; }
grep -q '<type>http</type>' "$board" || { echo "the tile is no web request"; exit 1; }
echo "tile url ok"
