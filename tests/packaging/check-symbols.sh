#!/bin/sh
# Fails when the shared library exports anything but the classes the
# application calls: internal helpers, the compact property store, the
# molecule cache, the record offsets, toolkit (RDKit) glue, or
# standard-library instantiations.
#   check-symbols.sh LIBRARY
set -eu
symbols="$(nm -D --defined-only -C "$1" | sed 's/^[0-9a-f]* [A-Za-z] //')"
test -n "$symbols"
allowed='^((typeinfo( name)? for |vtable for )?(VorlatImportExport|VorlatGroupBy|Host|Chem)::)'
stray="$(printf '%s\n' "$symbols" | grep -Ev "$allowed" || true)"
internal="$(printf '%s\n' "$symbols" | grep -E 'PropertyStore|MoleculeCache|RecordOffsets|::detail::|RDKit::|RunCollector' || true)"
if [ -n "$stray$internal" ]; then
  echo "symbols that should not be exported:"
  printf '%s\n' "$stray" "$internal" | head -20
  exit 1
fi
echo "$(printf '%s\n' "$symbols" | wc -l) exported symbols, all of the library's own classes"
