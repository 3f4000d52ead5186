#!/bin/sh
# Makes the compressed fixtures with the tools users compress with (gzip,
# bgzip from tabix, pigz, Python's gzip module); run from this folder.
# Needs: gzip, bgzip, pigz, python3. The tests read only the results.
set -eu
data=..
# The first 250 records of the RDKit-written corpus, as bgzip writes them:
# BGZF blocks of 64 KiB (each a gzip member with an extra field) and the
# empty end-of-file member.
awk '/^\$\$\$\$/{n++} {print} n==250{exit}' "$data/mol2-corpus/corpus.sdf" > /tmp/corpus-250.sdf
bgzip -c /tmp/corpus-250.sdf > corpus-250-bgzip.sdf.gz
# The Open Babel Mol2 file without hydrogens, first 250 records, by pigz:
# one member whose 32 KiB blocks end with empty stored blocks (its default),
# and with independent blocks (-i).
awk '/^@<TRIPOS>MOLECULE/{n++} n==251{exit} {print}' "$data/mol2-corpus/corpus-no-h.mol2" > /tmp/corpus-250.mol2
pigz -c -b 32 < /tmp/corpus-250.mol2 > corpus-250-pigz.mol2.gz
pigz -c -i -b 32 < /tmp/corpus-250.mol2 > corpus-250-pigz-independent.mol2.gz
# The example CSV with every optional header field a gzip header may have
# (extra field, file name, comment, header check value), written by hand
# with Python's zlib, and the example Quenbar table by Python's gzip module.
python3 - "$data/../../examples/data/compounds.csv" "$data/../../examples/data/compounds-quenbar.txt" <<'PY'
import gzip, struct, sys, zlib
text = open(sys.argv[1], 'rb').read()
flags = 0x02 | 0x04 | 0x08 | 0x10  # FHCRC FEXTRA FNAME FCOMMENT
header = b'\x1f\x8b\x08' + bytes([flags]) + struct.pack('<I', 1700000000) + b'\x00\x03'
extra = b'VX' + struct.pack('<H', 4) + b'test'
header += struct.pack('<H', len(extra)) + extra + b'compounds.csv\x00' + b'made by hand\x00'
header += struct.pack('<H', zlib.crc32(header) & 0xffff)
body = zlib.compressobj(9, zlib.DEFLATED, -15)
data = body.compress(text) + body.flush()
trailer = struct.pack('<II', zlib.crc32(text), len(text))
open('compounds-header-fields.csv.gz', 'wb').write(header + data + trailer)
with open(sys.argv[2], 'rb') as source, gzip.GzipFile('compounds-quenbar.txt.gz', 'wb', mtime=0) as out:
    out.write(source.read())
PY
rm -f /tmp/corpus-250.sdf /tmp/corpus-250.mol2
