#!/usr/bin/env bash
# Installs everything Vigilo needs to build and test on Debian: the MinGW-w64
# cross compiler, Wine (64-bit prefix with the 32-bit WoW64 side), Xvfb, and
# static i686 builds of zlib, libpng and GoogleTest in a prefix outside git.
# Idempotent: when everything is present it returns within a second or two.
set -euo pipefail

ZLIB_VERSION="1:1.2.13.dfsg-1"
LIBPNG_VERSION="1.6.39-2+deb12u5"
DEPS_PREFIX="${VIGILO_DEPS:-/opt/vigilo-deps}"
PACKAGES=(g++-mingw-w64-i686-posix wine wine32:i386 wine64 xvfb xauth cmake make
          dpkg-dev googletest xdotool imagemagick x11-utils ca-certificates)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

log() { echo "setup: $*" >&2; }

missing_packages() {
    local p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

codename() { . /etc/os-release && echo "${VERSION_CODENAME}"; }

ensure_packages() {
    local missing
    missing=$(missing_packages)
    [ -z "$missing" ] && return 0
    log "installing: $(echo $missing)"
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -q
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $missing
}

# Source packages come from the same Debian release as the binaries.
ensure_deb_src() {
    local list=/etc/apt/sources.list.d/vigilo-deb-src.sources rel
    [ -f "$list" ] && return 0
    rel=$(codename)
    log "adding deb-src entry for $rel"
    $SUDO tee "$list" >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $rel $rel-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    $SUDO apt-get update -q
}

fetch_source() { # package version -> prints the unpacked source directory
    local pkg=$1 ver=$2 dir="$DEPS_PREFIX/src/$1"
    local found
    found=$(find "$dir" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n1)
    if [ -z "$found" ]; then
        rm -rf "$dir"; mkdir -p "$dir"
        if ! (cd "$dir" && apt-get source -q --only-source "$pkg=$ver" >&2); then
            # The mirror dropped the pinned revision: take the release's current one.
            log "WARNING: $pkg $ver is gone from the mirror; using the current $pkg source"
            (cd "$dir" && apt-get source -q --only-source "$pkg" >&2)
        fi
        found=$(find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n1)
    fi
    [ -n "$found" ] || { log "no source for $pkg"; exit 1; }
    echo "$found"
}

CROSS_CMAKE=(-DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=i686
             -DCMAKE_C_COMPILER=i686-w64-mingw32-gcc-posix
             -DCMAKE_CXX_COMPILER=i686-w64-mingw32-g++-posix
             -DCMAKE_RC_COMPILER=i686-w64-mingw32-windres
             -DCMAKE_FIND_ROOT_PATH="$DEPS_PREFIX"
             -DCMAKE_INSTALL_PREFIX="$DEPS_PREFIX"
             -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF)

build_zlib() {
    [ -f "$DEPS_PREFIX/lib/libz.a" ] && return 0
    local src; src=$(fetch_source zlib "$ZLIB_VERSION") || exit 1
    log "building zlib from $src"
    # Only the static library, compiled straight from the sources: Debian's
    # source has no win32/ folder (no Makefile.gcc, no zlib1.rc for the DLL).
    local b="$DEPS_PREFIX/build/zlib" f
    rm -rf "$b"; mkdir -p "$b"
    for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback \
             inffast inflate inftrees trees uncompr zutil; do
        i686-w64-mingw32-gcc-posix -O2 -c "$src/$f.c" -o "$b/$f.o"
    done
    i686-w64-mingw32-ar rcs "$src/libz.a" "$b"/*.o
    install -D -m644 "$src/libz.a" "$DEPS_PREFIX/lib/libz.a"
    install -D -m644 "$src/zlib.h" "$DEPS_PREFIX/include/zlib.h"
    install -D -m644 "$src/zconf.h" "$DEPS_PREFIX/include/zconf.h"
}

build_libpng() {
    [ -f "$DEPS_PREFIX/lib/libpng.a" ] && return 0
    local src; src=$(fetch_source libpng1.6 "$LIBPNG_VERSION") || exit 1
    log "building libpng from $src"
    local b="$DEPS_PREFIX/build/libpng"
    rm -rf "$b"
    cmake -S "$src" -B "$b" "${CROSS_CMAKE[@]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
        -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_FRAMEWORK=OFF \
        -DZLIB_INCLUDE_DIR="$DEPS_PREFIX/include" -DZLIB_LIBRARY="$DEPS_PREFIX/lib/libz.a" >&2
    cmake --build "$b" -j"$(nproc)" >&2
    cmake --install "$b" >&2
    [ -f "$DEPS_PREFIX/lib/libpng.a" ] || cp "$DEPS_PREFIX/lib/libpng16.a" "$DEPS_PREFIX/lib/libpng.a"
}

build_googletest() {
    [ -f "$DEPS_PREFIX/lib/libgtest.a" ] && return 0
    log "building GoogleTest from /usr/src/googletest"
    local b="$DEPS_PREFIX/build/googletest"
    rm -rf "$b"
    cmake -S /usr/src/googletest -B "$b" "${CROSS_CMAKE[@]}" -Dgtest_disable_pthreads=OFF \
        -DINSTALL_GTEST=ON -DBUILD_GMOCK=OFF >&2
    cmake --build "$b" -j"$(nproc)" >&2
    cmake --install "$b" >&2
}

ensure_packages
ensure_deb_src
build_zlib
build_libpng
build_googletest
echo "$DEPS_PREFIX"
