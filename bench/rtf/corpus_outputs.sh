#!/usr/bin/env bash
# Writes what a velko-cli makes of every RTF file under a folder: our RTF,
# the plain text and Qt's HTML of the document read, and the exit code.
# Run it with the program before and after a change to the reader or the
# writer, then compare the two output folders with `diff -r`.
#
#   bench/rtf/corpus_outputs.sh VELKO_CLI CORPUS_DIR OUT_DIR
set -uo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 VELKO_CLI CORPUS_DIR OUT_DIR" >&2
    exit 2
fi
cli=$(realpath "$1")
corpus=$(realpath "$2")
out=$3
mkdir -p "$out"
count=0
failed=0
while IFS= read -r -d '' file; do
    name=${file#"$corpus"/}
    target="$out/$name"
    mkdir -p "$(dirname "$target")"
    for kind in rtf txt html; do
        QT_QPA_PLATFORM=offscreen timeout 60 "$cli" convert --to "$kind" "$file" "$target.$kind" \
            >/dev/null 2>&1
        code=$?
        echo "$code" >"$target.$kind.exit"
        [ "$code" -eq 0 ] || failed=$((failed + 1))
    done
    count=$((count + 1))
done < <(find "$corpus" -type f -iname '*.rtf' -print0 | sort -z)
echo "$count files, $failed conversions refused or failed; outputs in $out"
