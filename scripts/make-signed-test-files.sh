#!/usr/bin/env bash
# Makes the signed test programs of the signature check's tests, at test
# time: a test root and a code-signing certificate it issues (their keys
# live in a temporary folder for the minute it takes and are never kept),
# then, from the stand-in Purgeon.exe, in BUILD_DIR/signed-test-files/:
#   unsigned.exe  the program as built
#   signed.exe    signed by "Vigilo Test Signer", whose chain ends in the test root
#   tampered.exe  signed.exe with one byte of its code changed after signing
# With "large", also signed-100mib.exe: the program with 100 MiB of data
# after its sections (as installers carry), signed; for the benchmark.
# Works with Debian 12's osslsigncode 2.5 and later; with "remove", removes them.
#   scripts/make-signed-test-files.sh BUILD_DIR [remove|large]
set -euo pipefail
build=${1:?build folder}
out="$build/signed-test-files"
rm -rf "$out"
[ "${2:-make}" != remove ] || exit 0
program="$build/bin/Purgeon.exe"
[ -f "$program" ] || { echo "signed test files: $program is not built" >&2; exit 1; }
for tool in openssl osslsigncode; do
    command -v "$tool" >/dev/null || { echo "signed test files: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

keys=$(mktemp -d "${TMPDIR:-/tmp}/vigilo-test-signing.XXXXXX")
trap 'rm -rf "$keys"' EXIT
quiet() { "$@" >>"$keys/log" 2>&1 || { cat "$keys/log" >&2; exit 1; }; }

cat >"$keys/signer.ext" <<'EXT'
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
EXT
quiet openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -subj "/CN=Vigilo Test Root" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$keys/root.key" -out "$keys/root.pem"
quiet openssl req -newkey rsa:2048 -nodes -sha256 -subj "/O=Vigilo Test Publisher/CN=Vigilo Test Signer" \
    -keyout "$keys/signer.key" -out "$keys/signer.csr"
quiet openssl x509 -req -sha256 -days 30 -in "$keys/signer.csr" -CA "$keys/root.pem" -CAkey "$keys/root.key" \
    -set_serial 0x5157 -extfile "$keys/signer.ext" -out "$keys/signer.pem"
cat "$keys/signer.pem" "$keys/root.pem" >"$keys/chain.pem"

mkdir -p "$out"
cp "$program" "$out/unsigned.exe"
quiet osslsigncode sign -certs "$keys/chain.pem" -key "$keys/signer.key" -h sha256 -n "Vigilo test program" \
    -in "$out/unsigned.exe" -out "$out/signed.exe"
quiet osslsigncode verify -CAfile "$keys/root.pem" -in "$out/signed.exe"

# One byte of the first section's code (its file offset from the section
# table) changed: the signature stays, the file's digest no longer matches.
code=$(od -An -tu4 -j 60 -N 4 "$out/signed.exe" | tr -d ' ')                      # e_lfanew
sections=$((code + 24 + $(od -An -tu2 -j $((code + 20)) -N 2 "$out/signed.exe" | tr -d ' ')))
raw=$(od -An -tu4 -j $((sections + 20)) -N 4 "$out/signed.exe" | tr -d ' ')      # PointerToRawData
cp "$out/signed.exe" "$out/tampered.exe"
byte=$(od -An -tu1 -j $((raw + 64)) -N 1 "$out/tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$out/tampered.exe" bs=1 seek=$((raw + 64)) conv=notrunc status=none
if osslsigncode verify -CAfile "$keys/root.pem" -in "$out/tampered.exe" >>"$keys/log" 2>&1; then
    echo "signed test files: tampered.exe still verifies" >&2
    exit 1
fi
if [ "${2:-}" = large ]; then
    cp "$out/unsigned.exe" "$keys/large.exe"
    head -c $((100 * 1024 * 1024)) /dev/urandom >>"$keys/large.exe"
    quiet osslsigncode sign -certs "$keys/chain.pem" -key "$keys/signer.key" -h sha256 -n "Vigilo test program" \
        -in "$keys/large.exe" -out "$out/signed-100mib.exe"
fi
echo "signed test files: made in $out with $(osslsigncode --version 2>&1 | head -n1)"
