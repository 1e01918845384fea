#!/usr/bin/env bash
# The deb-src entry the set-up adds names the mirror the machine's own
# package sources name, not one of the set-up's: checked against scratch
# source folders (deb822 and one-line), with the release's security entry
# and a disabled entry listed before it. Installs and downloads nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
passed() { echo "ok: $*"; }
entry() { VIGILO_APT_SOURCES="$1" "$root/scripts/deb-src-entry.sh" bookworm; }

deb822="$scratch/deb822"
mkdir -p "$deb822/sources.list.d"
cat >"$deb822/sources.list.d/a-security.sources" <<'SRC'
Types: deb
URIs: http://security-proxy.invalid/debian-security
Suites: bookworm-security
Components: main
SRC
cat >"$deb822/sources.list.d/b-mirror.sources" <<'SRC'
# the company's mirror
Types: deb
URIs: http://old-mirror.invalid/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb
URIs: http://apt-cache.invalid:3142/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/company-keyring.gpg
SRC
got=$(entry "$deb822") || fail "no entry from the deb822 sources"
expected='Types: deb-src
URIs: http://apt-cache.invalid:3142/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/company-keyring.gpg'
[ "$got" = "$expected" ] || fail "from deb822 sources got:
$got"
passed "a deb822 source list's mirror and keyring are taken"

one_line="$scratch/one-line"
mkdir -p "$one_line/sources.list.d"
cat >"$one_line/sources.list" <<'SRC'
# deb http://commented.invalid/debian bookworm main
deb http://security-proxy.invalid/debian-security bookworm-security main
deb [arch=amd64 signed-by=/etc/apt/keyrings/proxy.gpg] http://proxy.invalid/debian/ bookworm main
SRC
got=$(entry "$one_line") || fail "no entry from the one-line sources"
grep -qx 'URIs: http://proxy.invalid/debian/' <<<"$got" || fail "from one-line sources got:
$got"
grep -qx 'Signed-By: /etc/apt/keyrings/proxy.gpg' <<<"$got" || fail "the keyring was not taken: $got"
passed "a one-line source list's mirror and keyring are taken"
