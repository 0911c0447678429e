#!/usr/bin/env bash
# Shares the application by script on a fresh device and checks what reached the device: the sheet's
# buttons, the text message, the mail and the pasteboard.
set -euo pipefail
velmo=$1
script=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
(cd "$home" && "$velmo" --home "$home" --script "$script" > "$home/dump.txt")
store='http://itunes.apple.com/app/velmo/id428024839?mt=8'
for button in SMS More... Cancel; do
    grep -q "\"$button\"" "$home/dump.txt" || { echo "the sheet has no $button button"; cat "$home/dump.txt"; exit 1; }
done
[ "$(grep -c 'UIButton .*"SMS"' "$home/dump.txt")" = 1 ] || { echo "SMS is not listed once"; exit 1; }
message="$home/Device/Messages/0001.txt"
grep -qF "$store" "$message" || { echo "the message lacks the store page"; cat "$message"; exit 1; }
mail="$home/Device/Mail/0001.eml"
[ -f "$mail" ] || { echo "no mail was sent"; exit 1; }
grep -qF 'Subject: "Geek or not, everyone needs Velmo!" 12 contacts ready to be dialed in only 2 taps' "$mail" ||
    { echo "the mail lacks the recommendation"; cat "$mail"; exit 1; }
# The HTML body is the store page alone (the item has no text), base64-encoded in the mail.
grep -qF "$(printf %s "$store" | base64 -w0)" "$mail" || { echo "the mail lacks the store page"; cat "$mail"; exit 1; }
[ "$(cat "$home/Device/pasteboard.txt")" = "$store" ] || { echo "the store page was not copied"; exit 1; }
[ -f "$home/share-menu.png" ] || { echo "no shot of the menu"; exit 1; }
echo "share ok"
