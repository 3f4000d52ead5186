#!/bin/sh
# Installs the library into a temporary prefix, builds examples/embed against
# the installed package and runs it on the bundled examples.
#   embed-example.sh BUILD_DIR SOURCE_DIR
set -eu
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
test -f "$work/prefix/include/vorlat/text/CsvDataProvider.h"
test ! -e "$work/prefix/include/vorlat/chem/detail"
test -f "$work/prefix/lib/pkgconfig/vorlat.pc" || test -f "$work/prefix/lib/x86_64-linux-gnu/pkgconfig/vorlat.pc"
cmake -S "$source/examples/embed" -B "$work/embed" -DCMAKE_PREFIX_PATH="$work/prefix" > "$work/configure.log"
cmake --build "$work/embed" > "$work/build.log"
"$work/embed/embed" "$source/examples/data/compounds.sdf" "$source/examples/data/compounds.csv" > "$work/out.txt"
cat "$work/out.txt"
grep -q "^SD: 12 rows, 7 columns" "$work/out.txt"
grep -q "^CSV: 30 rows, 7 columns" "$work/out.txt"
grep -q "^Atorvastatin | active | 558.65" "$work/out.txt"
