#!/usr/bin/env bash
# Installs everything Vigilo needs to build and test on Debian 12: the
# MinGW-w64 i686 and x86_64 cross compilers with Debian's static zlib for
# them, RapidJSON (header-only), Wine (64-bit prefix with the 32-bit WoW64
# side), Xvfb, openssl and osslsigncode (the signed test programs), and
# static builds of libpng (from Debian's source package, pinned) and
# GoogleTest for the Windows the build targets on this machine (i686, or
# x86_64 where the machine cannot run 32-bit programs: scripts/deps-prefix.sh)
# in the prefix named there. Quick when everything is there.
#
# The prefix counts as done only when its stamp matches what this script
# would build. The libraries are built in a temporary folder and moved into
# place at the end, so a failed run leaves nothing the next one takes as
# done; it stops with a message naming the step that failed.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)

LIBPNG_VERSION="1.6.39-2+deb12u5"
PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine32:i386 wine64 xvfb xauth cmake make
          dpkg-dev googletest xdotool imagemagick x11-utils ca-certificates rapidjson-dev openssl osslsigncode)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

log() { echo "setup: $*" >&2; }

# The step under way: a failure names it.
step="starting"
work="" stage=""
finish() {
    local rc=$?
    if [ "$rc" -ne 0 ]; then
        [ -z "$work" ] || [ ! -s "$work/log" ] || tail -n 40 "$work/log" >&2
        log "FAILED while $step (exit code $rc); $VIGILO_DEPS_PREFIX is as it was before"
    fi
    [ -z "$work" ] || rm -rf "$work"
    [ -z "$stage" ] || rm -rf "$stage"
}
trap finish EXIT

# Runs a download or build step quietly; its output is shown if it fails.
quietly() { "$@" >>"$work/log" 2>&1; }

package_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true; }

# A mirror being synced serves an index whose size does not match its
# Release file for a minute or two: try again after a pause. Should an index
# still fail, go on with the lists apt has; the install or source download
# that needs what is missing then fails with its own message.
# Sets lists_incomplete when it goes on without them.
lists_incomplete=""
update_package_lists() {
    local try
    for try in 1 2 3; do
        $SUDO apt-get update -q && return 0
        [ "$try" -eq 3 ] || { log "apt-get update failed (try $try of 3); trying again in 30 s"; sleep 30; }
    done
    log "WARNING: some package lists could not be updated; going on with the ones apt has"
    lists_incomplete=1
}

missing_packages() {
    local p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

ensure_packages() {
    local missing
    missing=$(missing_packages | tr '\n' ' ')
    [ -n "$missing" ] || return 0
    log "installing $(wc -w <<<"$missing") missing packages: ${missing% }"
    step="adding the i386 architecture (dpkg --add-architecture)"
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    step="updating the package lists (apt-get update)"
    update_package_lists
    step="installing packages (apt-get install)"
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $missing && return 0
    [ -n "$lists_incomplete" ] || return 1
    # With one architecture's security list missing, apt offers the two
    # halves of a multi-arch library at different versions and gives up.
    # The release's own suite has both at one version.
    local rel
    rel=$(. /etc/os-release && echo "$VERSION_CODENAME")
    log "trying the install again from $rel's own lists, as some lists are missing"
    step="installing packages from $rel's own lists (apt-get install -t $rel)"
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends -t "$rel" $missing
}

# Source packages come from the same Debian release as the binaries, and
# from where the machine takes those. A deb-src entry is added only when no
# configured source list has one.
ensure_source_index() {
    step="looking up the libpng1.6 source package"
    apt-cache showsrc --only-source libpng1.6 2>/dev/null | grep '^Version:' >/dev/null && return 0
    local rel entry list=/etc/apt/sources.list.d/vigilo-deb-src.sources
    rel=$(. /etc/os-release && echo "$VERSION_CODENAME")
    if ! apt-get --print-uris update 2>/dev/null | grep "/dists/$rel/main/source/Sources" >/dev/null; then
        step="finding the package source of $rel in the configured source lists"
        entry=$("$scripts/deb-src-entry.sh" "$rel")
        log "adding a deb-src entry for $rel: $list"
        step="writing $list"
        $SUDO tee "$list" >/dev/null <<<"$entry"
    fi
    step="updating the package lists for source packages (apt-get update)"
    quietly update_package_lists
}

# Unpacks the source package into $work/src/PACKAGE; sets source_dir.
fetch_source() {
    local pkg=$1 ver=$2 dir="$work/src/$1"
    mkdir -p "$dir"
    if apt-cache showsrc --only-source "$pkg" | grep -x "Version: $ver" >/dev/null; then
        step="downloading the source package $pkg $ver (apt-get source)"
        (cd "$dir" && quietly apt-get source -q --only-source "$pkg=$ver")
    else
        # The mirror dropped the pinned revision: take the release's current one.
        log "WARNING: $pkg $ver is gone from the mirror; using the current $pkg source"
        step="downloading the current source package $pkg (apt-get source)"
        (cd "$dir" && quietly apt-get source -q --only-source "$pkg")
    fi
    source_dir=$(find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n1)
    [ -n "$source_dir" ]
}

# Configures, builds and installs a CMake project for the target into the
# staging folder; the installed files name the final prefix.
cross_build() {
    local name=$1 src=$2; shift 2
    step="configuring $name"
    quietly cmake -S "$src" -B "$work/build/$name" -DCMAKE_TOOLCHAIN_FILE="$VIGILO_TOOLCHAIN_FILE" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$VIGILO_DEPS_PREFIX" "$@"
    step="building $name"
    quietly cmake --build "$work/build/$name" -j"$(nproc)"
    step="installing $name into the staging folder"
    quietly cmake --install "$work/build/$name" --prefix "$stage"
}

# Built for size with a section per function, so that the linker keeps only
# what Vigilo calls: it reads PNG images and never writes one.
build_libpng() {
    fetch_source libpng1.6 "$LIBPNG_VERSION"
    # Debian's zlib for MinGW-w64 comes with an import library too: the static one is taken.
    cross_build libpng "$source_dir" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DPNG_FRAMEWORK=OFF -DZLIB_INCLUDE_DIR="/usr/$VIGILO_MINGW_TRIPLE/include" \
        -DZLIB_LIBRARY="/usr/$VIGILO_MINGW_TRIPLE/lib/libz.a" -DCMAKE_C_FLAGS_RELEASE="-Os -DNDEBUG" \
        -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections"
    [ -e "$stage/lib/libpng.a" ] || cp "$stage/lib/libpng16.a" "$stage/lib/libpng.a"
}

build_googletest() {
    cross_build googletest /usr/src/googletest -Dgtest_disable_pthreads=OFF -DINSTALL_GTEST=ON -DBUILD_GMOCK=OFF
}

# What a complete prefix was built from; another recipe means building anew.
deps_recipe() {
    echo "libpng1.6 $LIBPNG_VERSION (for size, a section per function) with libz-mingw-w64-dev $(package_version libz-mingw-w64-dev)," \
         "googletest $(package_version googletest)," \
         "g++-mingw-w64-$VIGILO_ARCH-posix $(package_version "g++-mingw-w64-${VIGILO_ARCH//_/-}-posix")"
}

prefix_done() { [ -f "$VIGILO_DEPS_STAMP" ] && [ "$(cat "$VIGILO_DEPS_STAMP")" = "$1" ]; }

# An existing prefix is replaced only when it is one these scripts made
# (stamped, or the older layout without a stamp) or empty.
replaceable() {
    local entry
    [ -f "$VIGILO_DEPS_STAMP" ] && return 0
    for entry in "$VIGILO_DEPS_PREFIX"/* "$VIGILO_DEPS_PREFIX"/.[!.]*; do
        [ -e "$entry" ] || continue
        case ${entry##*/} in bin | build | include | lib | share | src) ;; *) return 1 ;; esac
    done
}

build_prefix() {
    local recipe=$1 parent name old=""
    parent=$(dirname "$VIGILO_DEPS_PREFIX")
    name=$(basename "$VIGILO_DEPS_PREFIX")
    step="checking what $VIGILO_DEPS_PREFIX holds"
    if [ -e "$VIGILO_DEPS_PREFIX" ] && ! replaceable; then
        log "$VIGILO_DEPS_PREFIX holds files these scripts did not make; point VIGILO_DEPS at another folder"
        exit 1
    fi
    log "building libpng $LIBPNG_VERSION and GoogleTest $(package_version googletest) for $VIGILO_ARCH Windows" \
        "into $VIGILO_DEPS_PREFIX (about a minute)"
    step="making the temporary folders"
    work=$(mktemp -d "${TMPDIR:-/tmp}/vigilo-deps-build.XXXXXX")
    chmod 755 "$work"  # apt-get source downloads as the _apt user
    stage=$(mktemp -d "$parent/.$name.new.XXXXXX")
    ensure_source_index
    build_libpng
    build_googletest
    echo "$recipe" >"$stage/${VIGILO_DEPS_STAMP##*/}"
    chmod 755 "$stage"
    step="moving the new prefix into place"
    if [ -e "$VIGILO_DEPS_PREFIX" ]; then
        old=$(mktemp -d "$parent/.$name.old.XXXXXX")
        mv -T "$VIGILO_DEPS_PREFIX" "$old"
    fi
    mv -T "$stage" "$VIGILO_DEPS_PREFIX"
    stage=""
    [ -z "$old" ] || rm -rf "$old"
    log "libpng and GoogleTest are ready in $VIGILO_DEPS_PREFIX"
}

ensure_prefix() {
    local recipe parent
    recipe=$(deps_recipe)
    prefix_done "$recipe" && return 0
    parent=$(dirname "$VIGILO_DEPS_PREFIX")
    step="making $parent"
    if ! mkdir -p "$parent" 2>/dev/null || [ ! -w "$parent" ]; then
        log "cannot write to $parent: run as root, or point VIGILO_DEPS at a folder of yours"
        exit 1
    fi
    # One build at a time: a second run waits here, then finds the prefix done.
    step="waiting for another set-up to finish"
    exec 9<"$parent"
    flock 9
    prefix_done "$recipe" && return 0
    build_prefix "$recipe"
}

ensure_packages
# Which Windows to build for is asked of Wine's 32-bit loader, there by now.
. "$scripts/deps-prefix.sh"
[ "$VIGILO_ARCH" = i686 ] ||
    log "this machine cannot run 32-bit programs (its kernel's 32-bit emulation is off): building for $VIGILO_ARCH Windows"
ensure_prefix
step="done"
