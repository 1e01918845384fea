#!/usr/bin/env bash
# The build finds its dependency prefix whatever the set-up's tools print:
# with a stand-in apt-get early on PATH that prints lines of its own, as the
# real one does on a machine where packages are still missing, a fresh build
# folder is configured with the right prefix and builds. A build folder that
# was configured with another prefix is configured anew. Installs nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps-prefix.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
passed() { echo "ok: $*"; }

mkdir "$scratch/bin"
cat >"$scratch/bin/apt-get" <<EOF
#!/bin/sh
echo "\$*" >>"$scratch/apt-get-calls"
echo "Get:1 http://mirror.invalid/debian bookworm InRelease [151 kB]"
echo "/not/the/prefix"
echo "Setting up xdotool (1:3.20160805.1-5) ..."
EOF
# Says xdotool is missing, so that the set-up calls apt-get.
cat >"$scratch/bin/dpkg-query" <<EOF
#!/bin/sh
for arg; do last=\$arg; done
[ "\$last" = xdotool ] && exit 1
exec /usr/bin/dpkg-query "\$@"
EOF
# Keeps PATH, so that the stand-ins are found when the set-up is not root.
printf '#!/bin/sh\nexec "$@"\n' >"$scratch/bin/sudo"
chmod +x "$scratch/bin/"*

build="$scratch/build"
cached_prefix() { sed -n 's/^VIGILO_DEPS_PREFIX:[A-Z]*=//p' "$build/CMakeCache.txt"; }
build_standin() {
    "$root/scripts/build.sh" "$build" PurgeonStandIn >"$scratch/output" 2>&1 || {
        cat "$scratch/output"
        fail "scripts/build.sh stopped"
    }
}

PATH="$scratch/bin:$PATH" build_standin
grep -q '^install .*xdotool' "$scratch/apt-get-calls" || fail "the set-up did not run the stand-in apt-get"
grep -qx '/not/the/prefix' "$scratch/output" || fail "the stand-in's lines did not reach the output"
[ "$(cached_prefix)" = "$VIGILO_DEPS_PREFIX" ] || fail "configured with '$(cached_prefix)', not $VIGILO_DEPS_PREFIX"
[ -f "$build/bin/Purgeon.exe" ] || fail "Purgeon.exe was not built"
passed "a stand-in apt-get printed its lines; the build was configured with $VIGILO_DEPS_PREFIX"

cmake "$build" -DVIGILO_DEPS_PREFIX="$scratch/elsewhere" >/dev/null
build_standin
grep -q 'configuring .* anew' "$scratch/output" || fail "a build folder with another prefix was not configured anew"
[ "$(cached_prefix)" = "$VIGILO_DEPS_PREFIX" ] || fail "still configured with '$(cached_prefix)'"
passed "a build folder configured with another prefix was configured anew"
