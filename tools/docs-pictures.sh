#!/usr/bin/env bash
# Makes the README's pictures anew from the current build: the default board, the share menu (its
# actions, then its services), a sharer's login form and the progress overlay. Each is a shot of a
# scripted run in a fresh home, so the pictures show what a new user sees.
#   tools/docs-pictures.sh [VELMO]    (default build/default/app/velmo)
set -euo pipefail
cd "$(dirname "$0")/.."
velmo=${1:-build/default/app/velmo}
[ -x "$velmo" ] || { echo "docs-pictures: no $velmo; build first (cmake --build --preset default)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/pictures.script" <<'SCRIPT'
wait 0.5
shot board
press Action
wait 0.5
alert More...
wait 1
shot share-menu
drag 160 400 160 100
wait 1
shot share-services
press Pinboard
wait 1
shot login-form
press Cancel
wait 1
press Action
wait 0.5
alert More...
wait 1
press Copy
wait 0.5
shot overlay
wait 3
SCRIPT
if ! "$velmo" --home "$work/home" --shots "$work" --script "$work/pictures.script" >"$work/log" 2>&1; then
    cat "$work/log" >&2
    exit 1
fi
for name in board share-menu share-services login-form overlay; do
    cp "$work/$name.png" "docs/$name.png"
done
echo "docs-pictures: wrote docs/board.png, share-menu.png, share-services.png, login-form.png, overlay.png"
