# shellcheck shell=bash
# Sourced by the scripts: where the static i686 builds of libpng and
# GoogleTest live. /opt/vigilo-deps, or the folder VIGILO_DEPS names. The
# build takes the prefix from here, never from anything a script prints.
VIGILO_DEPS_PREFIX=$(realpath -m "${VIGILO_DEPS:-/opt/vigilo-deps}")
# Written last, when the prefix is complete; says what it was built from.
VIGILO_DEPS_STAMP="$VIGILO_DEPS_PREFIX/vigilo-deps.stamp"
