#!/bin/sh
# Installs the library and the tool into a temporary prefix (as a user would
# install to any folder) and checks that the installed copy works with
# nothing else set: the tool starts and finds its own examples, and
# examples/embed builds against the package, with CMake's find_package and
# with pkg-config, and runs on the bundled examples.
#   embed-example.sh BUILD_DIR SOURCE_DIR
set -eu
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/opt/vorlat"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
test -f "$prefix/include/vorlat/text/CsvDataProvider.h"
test ! -e "$prefix/include/vorlat/chem/detail"
pcdir="$prefix/lib/pkgconfig"
test -f "$pcdir/vorlat.pc" || pcdir="$prefix/lib/x86_64-linux-gnu/pkgconfig"
test -f "$pcdir/vorlat.pc"

# The installed tool, with a clean environment: no library path, run from
# elsewhere; it shows its own copy of the bundled example.
(cd / && env -i "$prefix/bin/vorlat" --version) > "$work/version.txt"
grep -q "[0-9]\.[0-9]" "$work/version.txt"
(cd / && env -i "$prefix/bin/vorlat" show) > "$work/show.txt"
head -1 "$work/show.txt"
grep -q "^$prefix/share/vorlat/examples/compounds.csv: 30 rows, 7 columns" "$work/show.txt"

check() {
  "$1" "$source/examples/data/compounds.sdf" "$source/examples/data/compounds.csv" > "$work/out.txt"
  cat "$work/out.txt"
  grep -q "^SD: 12 rows, 7 columns" "$work/out.txt"
  grep -q "^CSV: 30 rows, 7 columns" "$work/out.txt"
  grep -q "^Atorvastatin | active | 558.65" "$work/out.txt"
}

# A host application built with CMake's package...
cmake -S "$source/examples/embed" -B "$work/embed" -DCMAKE_PREFIX_PATH="$prefix" > "$work/configure.log"
cmake --build "$work/embed" > "$work/build.log"
check "$work/embed/embed"

# ...and with pkg-config, whose file names the folders it was installed to.
flags="$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs vorlat)"
libdir="$(PKG_CONFIG_PATH="$pcdir" pkg-config --variable=libdir vorlat)"
test -f "$libdir/libVorlatImportExport.so"
# shellcheck disable=SC2086
c++ -std=c++17 "$source/examples/embed/main.cpp" -o "$work/embed-pc" $flags "-Wl,-rpath,$libdir"
check "$work/embed-pc"
