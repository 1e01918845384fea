#!/usr/bin/env bash
# Fails when a source file includes a header of a higher layer or of another
# folder of its own layer, or when files include each other in a cycle
# (foo.h and foo.cpp count as one file). Layers, bottom to top:
#   platform <- core <- ui, tray, monitors <- windows <- app
set -euo pipefail
src=$(cd "$(dirname "$0")/../src" && pwd)

rank() {
    case $1 in
        platform) echo 1 ;; core) echo 2 ;; ui|tray|monitors) echo 3 ;; windows) echo 4 ;; app) echo 5 ;;
        *) echo 0 ;;
    esac
}

status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
    rel=${file#"$src"/}
    folder=${rel%%/*}
    unit=${rel%.*}
    own=$(rank "$folder")
    [ "$own" -gt 0 ] || { echo "layers: $rel is in no layer folder" >&2; status=1; continue; }
    while IFS= read -r target; do
        [ -f "$src/$target" ] || continue  # a header from outside src/ (assets, the system)
        tfolder=${target%%/*}
        theirs=$(rank "$tfolder")
        if [ "$theirs" -gt "$own" ] || { [ "$theirs" -eq "$own" ] && [ "$tfolder" != "$folder" ]; }; then
            echo "layers: $rel includes $target (against the direction: $folder may not use $tfolder)" >&2
            status=1
        fi
        tunit=${target%.*}
        [ "$tunit" = "$unit" ] || echo "$unit $tunit" >>"$edges"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if ! tsort "$edges" >/dev/null 2>"$edges.err"; then
    echo "layers: files include each other in a cycle:" >&2
    sed 's/^tsort: /  /' "$edges.err" >&2
    status=1
fi
rm -f "$edges.err"
[ "$status" -eq 0 ] && echo "layers: every include points down, no cycles"
exit "$status"
