# shellcheck shell=bash
# Sourced by the scripts: which Windows the build targets on this machine,
# and where the static builds of libpng and GoogleTest for it live.
#
# Vigilo is a 32-bit (i686) program. A machine whose kernel cannot run 32-bit
# programs (its 32-bit emulation switched off: Wine's 32-bit loader fails with
# "Exec format error") cannot run it under Wine; there the scripts build
# Vigilo and its tests for 64-bit Windows (x86_64) instead, so that they still
# run, and say so. VIGILO_ARCH chooses either one.
#
# The prefix: /opt/vigilo-deps (i686) or /opt/vigilo-deps-x86_64, or the
# folder VIGILO_DEPS names (with "-x86_64" added for the 64-bit build). The
# build takes the prefix from here, never from anything a script prints.

# i686 where Wine's 32-bit loader runs (or is not there yet to ask), else x86_64.
vigilo_machine_arch() {
    local loader=/usr/lib/wine/wine
    if [ ! -x "$loader" ] || "$loader" --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

VIGILO_ARCH=${VIGILO_ARCH:-$(vigilo_machine_arch)}
case $VIGILO_ARCH in
    i686) VIGILO_DEPS_PREFIX=$(realpath -m "${VIGILO_DEPS:-/opt/vigilo-deps}") ;;
    x86_64) VIGILO_DEPS_PREFIX=$(realpath -m "${VIGILO_DEPS:-/opt/vigilo-deps}-x86_64") ;;
    *) echo "VIGILO_ARCH must be i686 or x86_64, not $VIGILO_ARCH" >&2; return 1 ;;
esac
VIGILO_MINGW_TRIPLE=$VIGILO_ARCH-w64-mingw32
VIGILO_TOOLCHAIN_FILE=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/cmake/mingw-w64-$VIGILO_ARCH.cmake
# Written last, when the prefix is complete; says what it was built from.
VIGILO_DEPS_STAMP="$VIGILO_DEPS_PREFIX/vigilo-deps.stamp"
