#!/bin/sh
# Builds every C++ snippet of a Markdown file as written, against a copy of
# the package installed into a temporary prefix: each ```cpp block is a whole
# program, built with the file's ```cmake block (CMake's package) and with
# pkg-config, then run in examples/data. The CMake project's first lines
# (cmake_minimum_required, project, add_executable) are the ones the text
# tells the reader to add.
#   doc-snippets.sh BUILD_DIR SOURCE_DIR MARKDOWN_FILE
set -eu
build="$1"
source="$2"
markdown="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
pcdir="$prefix/lib/pkgconfig"
test -f "$pcdir/vorlat.pc" || pcdir="$prefix/lib/x86_64-linux-gnu/pkgconfig"

# Each fenced block of a language into its own numbered file.
awk -v dir="$work" '
  /^```cpp$/ { n++; out = sprintf("%s/snippet%d.cpp", dir, n); next }
  /^```cmake$/ { out = dir "/snippet.cmake"; next }
  /^```/ { out = ""; next }
  out != "" { print > out }
' "$markdown"
ls "$work"/snippet*.cpp > /dev/null

for snippet in "$work"/snippet*.cpp; do
  name="$(basename "$snippet" .cpp)"
  project="$work/$name"
  mkdir -p "$project"
  cp "$snippet" "$project/main.cpp"
  {
    echo "cmake_minimum_required(VERSION 3.18)"
    echo "project(app CXX)"
    echo "set(CMAKE_CXX_STANDARD 17)"
    echo "add_executable(app main.cpp)"
    if [ -f "$work/snippet.cmake" ]; then cat "$work/snippet.cmake"; fi
  } > "$project/CMakeLists.txt"
  if ! cmake -S "$project" -B "$project/build" -DCMAKE_PREFIX_PATH="$prefix" > "$project/configure.log" 2>&1 ||
     ! cmake --build "$project/build" > "$project/build.log" 2>&1; then
    echo "$name of $markdown does not build with CMake:"; cat "$project/main.cpp" "$project"/*.log; exit 1
  fi
  flags="$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs vorlat)"
  libdir="$(PKG_CONFIG_PATH="$pcdir" pkg-config --variable=libdir vorlat)"
  # shellcheck disable=SC2086
  if ! c++ -std=c++17 "$project/main.cpp" -o "$project/app-pc" $flags "-Wl,-rpath,$libdir" > "$project/pc.log" 2>&1; then
    echo "$name of $markdown does not build with pkg-config:"; cat "$project/pc.log"; exit 1
  fi
  (cd "$source/examples/data" && "$project/build/app" > "$project/out.txt")
  (cd "$source/examples/data" && "$project/app-pc" > "$project/out-pc.txt")
  test -s "$project/out.txt"
  cmp "$project/out.txt" "$project/out-pc.txt"
  echo "$name: builds and runs; first lines:"
  head -3 "$project/out.txt"
done
