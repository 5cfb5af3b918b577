#!/usr/bin/env bash
# Rebuilds the seed corpora in fuzz/corpus/: the examples, the real
# containers of ../shared/samples and a handful of damaged files for both
# targets; for the editing target each seed also carries a short script.
#   fuzz/make_corpus.sh [SAMPLES_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
samples=${1:-$here/../../shared/samples}
listing=$here/corpus/listing_fuzzer
edit=$here/corpus/container_edit_fuzzer
rm -rf "$listing" "$edit"
mkdir -p "$listing" "$edit"

be32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)))"; }
be16() { printf "$(printf '\\x%02x\\x%02x' $(($1 >> 8 & 255)) $(($1 & 255)))"; }
# atom SIZE TYPE ID COUNT: a 20-byte header (payload follows separately)
atom() { be32 "$1"; printf '%s' "$2"; be32 "$3"; be16 0; be16 "$4"; be32 0; }
header() { printf '\0\0\0\0\0\0\0\0\0\0\0\0'; }

damaged() {
  local name=$1
  shift
  "$@" >"$listing/$name"
}
damaged empty true
damaged short_header printf '\0\0\0\0\0\0'
damaged header_only header
damaged root_past_end bash -c "$(declare -f be32 be16 atom header); header; atom 4000 sean 1 0; printf abc"
damaged child_past_parent bash -c "$(declare -f be32 be16 atom header); header; atom 48 sean 1 1; atom 999 abcd 1 0; printf 12345678"
damaged size_7 bash -c "$(declare -f be32 be16 atom header); header; atom 40 sean 1 1; atom 7 abcd 1 0"
damaged size_0 bash -c "$(declare -f be32 be16 atom header); header; atom 40 sean 1 1; atom 0 abcd 1 0"
damaged count_too_large bash -c "$(declare -f be32 be16 atom header); header; atom 62 sean 1 3; atom 22 abcd 1 0; printf xy; atom 20 efgh 2 0"
damaged trailing_bytes bash -c "$(declare -f be32 be16 atom header); header; atom 22 sean 1 0; printf 'hi trailing'"
damaged all_zero head -c 4096 /dev/zero
damaged nested_2000 bash -c "$(declare -f be32 be16 atom header); header; for i in \$(seq 0 1999); do atom \$((20 * (2000 - i))) nest \$i 1; done"

for f in "$here"/../examples/*.st "$samples"/*.qtac; do
  [ -f "$f" ] || continue
  cp "$f" "$listing/$(basename "$f")"
  chmod 644 "$listing/$(basename "$f")"
done

# Editing seeds: container, script, script length. Script steps:
#   0 insert: parent type id index how [data...]   (how: low 6 bits = length)
#   1 remove: atom          2 find: parent type index idflag
#   3 data: atom            4 count+walk: parent flag [type]
#   5 type and id: atom     6 next child: parent current   7 lock
#   8 find by path: path create    9 replace by path: path how [data...] id
#  10 read by path: path length   11 remove by path: path
# (a path: how, then how % 5 types; a type byte 0xc0-0xef picks a fixed
# type: 0xc1 'vide', 0xc3 'name')
with_script() {
  local src=$1 name=$2 script=$3
  local len
  len=$(printf "$script" | wc -c)
  { cat "$src"; printf "$script"; printf "\\x$(printf %02x "$len")"; } >"$edit/$name"
}
for f in "$listing"/*; do
  base=$(basename "$f")
  with_script "$f" "$base.insert_read_remove" '\x00\x00\xc1\x00\x00\x00\x07\x01\x04abcd\x03\x01\x05\x01\x01\x01'
  with_script "$f" "$base.by_path" '\x09\x02\xc1\xc3\x03abc\x00\x00\x00\x01\x0a\x02\xc1\xc3\x03\x08\x01\xc1\x01\x0b\x01\xc1'
  with_script "$f" "$base.nested_edits" '\x00\x01\xc2\x00\x00\x00\x02\x02\x02hi\x00\x02\xc4\xff\xff\xff\xff\x00\x40\x05\x02\x02\xc3\x01\x01\x04\x00\x00\x01\x03'
done
echo "seeds: $(ls "$listing" | wc -l) listing, $(ls "$edit" | wc -l) editing"
