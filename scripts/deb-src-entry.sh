#!/usr/bin/env bash
# Prints the deb-src entry (deb822) that the set-up adds for RELEASE, with the
# address this machine already takes RELEASE's binary packages from: the
# URIs of its first deb822 entry in sources.list.d/*.sources, or else of its
# first one-line "deb" entry in sources.list and sources.list.d/*.list. So a
# machine that reaches Debian through a mirror or proxy of its own fetches
# the sources there too. Fails, printing nothing, when no entry names RELEASE.
#   scripts/deb-src-entry.sh RELEASE
# VIGILO_APT_SOURCES names the folder that holds sources.list and
# sources.list.d/ (default /etc/apt), for the check that runs it elsewhere.
set -euo pipefail
rel=${1:?release code name}
dir=${VIGILO_APT_SOURCES:-/etc/apt}
shopt -s nullglob

# "URI<TAB>KEYRING" of the first deb822 entry of type deb for the release.
from_deb822() {
    awk -v rel="$rel" '
        function field(line) { sub(/^[^:]*:[ \t]*/, "", line); sub(/[ \t]+$/, "", line); return line }
        function flush() {
            if (types != "" && index(" " types " ", " deb ") && index(" " suites " ", " " rel " ") &&
                tolower(enabled) != "no" && uris != "") {
                split(uris, u, /[ \t]+/)
                print u[1] "\t" signed
                found = 1
                exit
            }
            types = suites = uris = signed = enabled = ""
        }
        FNR == 1 { flush() }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        {
            key = tolower($0); sub(/:.*/, "", key)
            value = field($0); gsub(/[ \t]+/, " ", value)
            if (key == "types") types = value
            else if (key == "suites") suites = value
            else if (key == "uris") uris = value
            else if (key == "signed-by") signed = value
            else if (key == "enabled") enabled = value
        }
        END { if (!found) flush() }
    ' "$@"
}

# The same from one-line entries: deb [options] URI SUITE COMPONENT...
from_one_line() {
    awk -v rel="$rel" '
        $1 != "deb" { next }
        {
            i = 2; signed = ""
            if ($2 ~ /^\[/) {
                for (; i <= NF; i++) {
                    option = $i; gsub(/[][]/, "", option)
                    if (option ~ /^signed-by=/) { sub(/^signed-by=/, "", option); signed = option }
                    if ($i ~ /\]$/) { i++; break }
                }
            }
            if ($(i + 1) == rel) { print $i "\t" signed; exit }
        }
    ' "$@"
}

found=""
deb822=("$dir"/sources.list.d/*.sources)
[ ${#deb822[@]} -eq 0 ] || found=$(from_deb822 "${deb822[@]}")
if [ -z "$found" ]; then
    one_line=("$dir"/sources.list "$dir"/sources.list.d/*.list)
    existing=()
    for f in "${one_line[@]}"; do [ -f "$f" ] && existing+=("$f"); done
    [ ${#existing[@]} -eq 0 ] || found=$(from_one_line "${existing[@]}")
fi
if [ -z "$found" ]; then
    echo "deb-src-entry: no package source for $rel in $dir/sources.list or $dir/sources.list.d/" >&2
    exit 1
fi
uri=${found%%$'\t'*}
keyring=${found#*$'\t'}
echo "Types: deb-src"
echo "URIs: $uri"
echo "Suites: $rel $rel-updates"
echo "Components: main"
[ -z "$keyring" ] || echo "Signed-By: $keyring"
