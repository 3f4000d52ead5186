#!/bin/sh
# Opens the exported page of the SD example in headless Chromium: the page
# must hold one drawing per structure row and raise no script error, and a
# sort asked for in the URL must order the rows.
#   browser-check.sh VORLAT SOURCE_DIR
set -eu
vorlat="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
browser="$(command -v chromium || command -v chromium-browser || true)"
if [ -z "$browser" ]; then
  echo "chromium is missing: scripts/install-deps.sh installs it"
  exit 1
fi
"$vorlat" export "$source/examples/data/compounds.sdf" --html "$work/page.html"
run() {
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" "$@" 2>"$work/browser.log"
}
# Column 5 is MolWeight (column 0 holds the row numbers): largest first.
run --dump-dom "file://$work/page.html#sort=5-desc" > "$work/dom.html"
grep -q 'data-ready="1"' "$work/dom.html" || { echo "the page's script did not run"; exit 1; }
grep -q 'data-errors="0"' "$work/dom.html" || { echo "script errors in the page"; exit 1; }
drawings="$(grep -o '<svg' "$work/dom.html" | wc -l)"
[ "$drawings" -eq 12 ] || { echo "expected 12 drawings, found $drawings"; exit 1; }
# The first row of the table body after the sort.
first="$(tr -d '\n' < "$work/dom.html" | sed 's/.*<tbody>//; s/<\/tr>.*//')"
case "$first" in
  *">Atorvastatin<"*) ;;
  *) echo "sorting by MolWeight did not put Atorvastatin first"; exit 1 ;;
esac
run --window-size=1300,900 --screenshot="$work/page.png" "file://$work/page.html" > /dev/null
test -s "$work/page.png"
echo "12 drawings, no script error, sorted by MolWeight, screenshot taken"
