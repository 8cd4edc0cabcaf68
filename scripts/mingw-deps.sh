#!/usr/bin/env bash
# Builds the libraries Debian ships for Linux only, for x86_64-w64-mingw32, from
# Debian's own source packages, into cache directories outside the repository:
#   Boost 1.81 (headers + static Program_options, Filesystem, Chrono, Thread)
#   pugixml (header + static library)
#   libpng 1.6 (headers + static library; zlib comes from Debian's libz-mingw-w64-dev)
# Runs as root.
#
#   VELOTRAX_BOOST_MINGW    Boost cache (default /var/cache/velotrax/boost-1.81-mingw64)
#   VELOTRAX_PUGIXML_MINGW  pugixml cache (default /var/cache/velotrax/pugixml-mingw64)
#   VELOTRAX_LIBPNG_MINGW   libpng cache (default /var/cache/velotrax/libpng-mingw64)
#
# A complete cache holds include/, lib/*.a and the stamp file written last;
# with every stamp present the script returns at once.
#
# The source packages come from the archive the machine's own apt configuration names
# (sources.list, sources.list.d/*.list and *.sources); no address is built in.
#   mingw-deps.sh --print-source   prints that archive's URI and keyring, and changes nothing
#   VELOTRAX_APT_ETC               apt's configuration directory (default /etc/apt)
set -euo pipefail

CACHE="${VELOTRAX_BOOST_MINGW:-/var/cache/velotrax/boost-1.81-mingw64}"
STAMP="$CACHE/.velotrax-boost-complete"
PUGI_CACHE="${VELOTRAX_PUGIXML_MINGW:-/var/cache/velotrax/pugixml-mingw64}"
PUGI_STAMP="$PUGI_CACHE/.velotrax-pugixml-complete"
PNG_CACHE="${VELOTRAX_LIBPNG_MINGW:-/var/cache/velotrax/libpng-mingw64}"
PNG_STAMP="$PNG_CACHE/.velotrax-libpng-complete"
SRC_PKG=boost1.81
PUGI_PKG=pugixml
PNG_PKG=libpng1.6
CC=x86_64-w64-mingw32-gcc-posix
CXX=x86_64-w64-mingw32-g++-posix
AR=x86_64-w64-mingw32-ar
RANLIB=x86_64-w64-mingw32-ranlib
JOBS=2

log() { printf 'mingw-deps: %s\n' "$*"; }
die() { printf 'mingw-deps: ERROR: %s\n' "$*" >&2; exit 1; }

APT_ETC="${VELOTRAX_APT_ETC:-/etc/apt}"
SUITE=bookworm

# The first entry of apt's sources, in the order apt reads them, that carries the plain suite
# (the main archive, not security or updates): "URI<TAB>Signed-By", Signed-By "-" when the
# entry names no keyring file. Reads the one-line format (sources.list, *.list) and the
# deb822 format (*.sources); disabled entries and comments are skipped.
apt_source() {
    local files=()
    [[ -f "$APT_ETC/sources.list" ]] && files+=("$APT_ETC/sources.list")
    local f
    for f in "$APT_ETC"/sources.list.d/*; do
        [[ -f "$f" && ( "$f" == *.list || "$f" == *.sources ) ]] && files+=("$f")
    done
    ((${#files[@]})) || return 0
    awk -v suite="$SUITE" '
        function emit(uri, sb) { if (!found) { print uri "\t" (sb == "" ? "-" : sb); found = 1 } }
        function flush() {
            if (deb && enabled && uris != "" && hit) emit(uris, sb)
            deb = 0; enabled = 1; uris = ""; sb = ""; hit = 0
        }
        FNR == 1 { flush() }
        FILENAME ~ /\.sources$/ {
            if ($0 ~ /^[[:space:]]*#/) next
            if ($0 ~ /^[[:space:]]*$/) { flush(); next }
            if ($0 ~ /^[[:space:]]/) next                      # continuation of a field
            field = tolower($1)
            if (field == "types:")      { for (i = 2; i <= NF; i++) if ($i == "deb" || $i == "deb-src") deb = 1 }
            else if (field == "uris:")  { uris = $2 }
            else if (field == "suites:") { for (i = 2; i <= NF; i++) if ($i == suite) hit = 1 }
            else if (field == "enabled:") { enabled = tolower($2) != "no" }
            else if (field == "signed-by:") { sb = (NF >= 2 && $2 ~ /^\//) ? $2 : "" }
            next
        }
        {
            sub(/#.*/, "")
            if ($1 != "deb" && $1 != "deb-src") next
            i = 2; sb = ""
            if ($i ~ /^\[/) {
                for (; i <= NF; i++) {
                    option = $i; gsub(/[][]/, "", option)
                    if (option ~ /^signed-by=/) { sub(/^signed-by=/, "", option); sb = option }
                    if ($i ~ /\]$/) { i++; break }
                }
            }
            if ($(i + 1) == suite && $i != "") emit($i, sb)
            sb = ""
        }
        END { flush() }' "${files[@]}"
}

source_entry="$(apt_source)"
if [[ "${1:-}" == --print-source ]]; then
    [[ -n "$source_entry" ]] || die "no apt source for the suite $SUITE in $APT_ETC/sources.list, $APT_ETC/sources.list.d/*.list or *.sources"
    printf '%s\n' "$source_entry"
    exit 0
fi

need=()
[[ -f "$STAMP" ]] || need+=("$SRC_PKG")
[[ -f "$PUGI_STAMP" ]] || need+=("$PUGI_PKG")
[[ -f "$PNG_STAMP" ]] || need+=("$PNG_PKG")
if ((${#need[@]} == 0)); then
    log "cached: $CACHE $PUGI_CACHE $PNG_CACHE"
    exit 0
fi

[[ $EUID -eq 0 ]] || die "must run as root (it edits apt sources)"
for tool in "$CC" "$CXX" "$AR" "$RANLIB" apt-get tar xz xargs; do
    command -v "$tool" >/dev/null || die "missing tool: $tool (apt-get install g++-mingw-w64-x86-64-posix xz-utils)"
done

SRC_LIST=/etc/apt/sources.list.d/velotrax-deb-src.sources
WORK="$(mktemp -d /tmp/velotrax-mingw-deps.XXXXXX)"
STAGE="$CACHE.partial"
PUGI_STAGE="$PUGI_CACHE.partial"
PNG_STAGE="$PNG_CACHE.partial"
src_added=0

# Drops the temporary deb-src entry and refreshes the package lists so
# apt is left as it was found.
restore_apt() {
    if [[ $src_added -eq 1 ]]; then
        rm -f "$SRC_LIST"
        src_added=0
        log "removed $SRC_LIST; apt-get update"
        apt-get update -qq || log "WARNING: apt-get update after removing deb-src failed"
    fi
}
cleanup() {
    local rc=$?
    restore_apt
    rm -rf "$WORK"
    if [[ $rc -ne 0 ]]; then
        rm -rf "$STAGE" "$PUGI_STAGE" "$PNG_STAGE"
        printf 'mingw-deps: FAILED (exit %d); no stamp written\n' "$rc" >&2
    fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- 1. fetch the Debian source packages ----------------------------------
# From the archive the machine's apt configuration names for the plain suite.
[[ -n "$source_entry" ]] || die "no apt source for the suite $SUITE in $APT_ETC/sources.list, $APT_ETC/sources.list.d/*.list or *.sources: add the Debian archive there"
IFS=$'\t' read -r uris signed_by <<<"$source_entry"
[[ "$signed_by" != "-" ]] || signed_by=/usr/share/keyrings/debian-archive-keyring.gpg

log "adding deb-src entry $SRC_LIST ($uris)"
src_added=1
cat >"$SRC_LIST" <<EOF
Types: deb-src
URIs: $uris
Suites: $SUITE
Components: main
Signed-By: $signed_by
EOF
log "apt-get update"
apt-get update -qq
log "apt-get source --download-only ${need[*]}"
# apt downloads as user _apt: give it a directory it may write to.
chmod 0755 "$WORK"
mkdir "$WORK/dl"
chown _apt "$WORK/dl" 2>/dev/null || true
(cd "$WORK/dl" && apt-get source --download-only -qq "${need[@]}")
restore_apt

# --- pugixml: one source file -----------------------------------------------
if [[ ! -f "$PUGI_STAMP" ]]; then
    pugi_orig=("$WORK"/dl/"$PUGI_PKG"_*.orig.tar.*)
    [[ -f "${pugi_orig[0]}" ]] || die "no orig tarball downloaded for $PUGI_PKG"
    log "building pugixml from $(basename "${pugi_orig[0]}")"
    mkdir -p "$WORK/pugi"
    tar -xf "${pugi_orig[0]}" -C "$WORK/pugi" --strip-components=1
    rm -rf "$PUGI_STAGE"
    mkdir -p "$PUGI_STAGE/include" "$PUGI_STAGE/lib"
    cp "$WORK/pugi/src/pugixml.hpp" "$WORK/pugi/src/pugiconfig.hpp" "$PUGI_STAGE/include/"
    "$CXX" -O2 -std=c++17 -DNDEBUG -c "$WORK/pugi/src/pugixml.cpp" -o "$WORK/pugi/pugixml.o"
    "$AR" rc "$PUGI_STAGE/lib/libpugixml.a" "$WORK/pugi/pugixml.o"
    "$RANLIB" "$PUGI_STAGE/lib/libpugixml.a"
    rm -rf "$PUGI_CACHE"
    mkdir -p "$(dirname "$PUGI_CACHE")"
    mv "$PUGI_STAGE" "$PUGI_CACHE"
    printf 'pugixml %s mingw64 built %s\n' "${pugi_orig[0]##*/}" "$(date -u +%FT%TZ)" >"$PUGI_STAMP"
    log "done: $PUGI_CACHE"
fi

# --- libpng: the library's C files with its prebuilt configuration -------------
if [[ ! -f "$PNG_STAMP" ]]; then
    png_orig=("$WORK"/dl/"$PNG_PKG"_*.orig.tar.*)
    [[ -f "${png_orig[0]}" ]] || die "no orig tarball downloaded for $PNG_PKG"
    [[ -f /usr/x86_64-w64-mingw32/include/zlib.h ]] \
        || die "missing zlib for MinGW (apt-get install libz-mingw-w64-dev)"
    log "building libpng from $(basename "${png_orig[0]}")"
    mkdir -p "$WORK/png"
    tar -xf "${png_orig[0]}" -C "$WORK/png" --strip-components=1
    cp "$WORK/png/scripts/pnglibconf.h.prebuilt" "$WORK/png/pnglibconf.h"
    rm -rf "$PNG_STAGE"
    mkdir -p "$PNG_STAGE/include" "$PNG_STAGE/lib"
    cp "$WORK/png/png.h" "$WORK/png/pngconf.h" "$WORK/png/pnglibconf.h" "$PNG_STAGE/include/"
    # The file list of libpng's own CMake build, without the optional SIMD code.
    for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset \
             pngtrans pngwio pngwrite pngwtran pngwutil; do
        "$CC" -O2 -DNDEBUG -I"$WORK/png" -c "$WORK/png/$f.c" -o "$WORK/png/$f.o"
    done
    "$AR" rc "$PNG_STAGE/lib/libpng16.a" "$WORK"/png/*.o
    "$RANLIB" "$PNG_STAGE/lib/libpng16.a"
    rm -rf "$PNG_CACHE"
    mkdir -p "$(dirname "$PNG_CACHE")"
    mv "$PNG_STAGE" "$PNG_CACHE"
    printf 'libpng %s mingw64 built %s\n' "${png_orig[0]##*/}" "$(date -u +%FT%TZ)" >"$PNG_STAMP"
    log "done: $PNG_CACHE"
fi
if [[ -f "$STAMP" ]]; then
    exit 0
fi

orig=("$WORK"/dl/"$SRC_PKG"_*.orig.tar.*)
[[ -f "${orig[0]}" ]] || die "no orig tarball downloaded for $SRC_PKG"
log "unpacking $(basename "${orig[0]}")"
mkdir -p "$WORK/src"
tar -xf "${orig[0]}" -C "$WORK/src" --strip-components=1
SRC="$WORK/src"
[[ -d "$SRC/libs" ]] || die "unexpected tarball layout (no libs/)"

# --- 2. headers: merge every library's include tree -----------------------
rm -rf "$STAGE"
mkdir -p "$STAGE/include/boost" "$STAGE/lib"
if [[ -d "$SRC/boost" ]]; then
    cp -a "$SRC/boost/." "$STAGE/include/boost/"
fi
n=0
for inc in "$SRC"/libs/*/include "$SRC"/libs/numeric/*/include; do
    [[ -d "$inc/boost" ]] || continue
    cp -a "$inc/boost/." "$STAGE/include/boost/"
    n=$((n + 1))
done
[[ -f "$STAGE/include/boost/version.hpp" ]] || die "headers incomplete (no boost/version.hpp)"
grep -q 'BOOST_LIB_VERSION "1_81"' "$STAGE/include/boost/version.hpp" \
    || die "headers are not Boost 1.81"
log "headers merged from $n libraries"

# --- 3. static libraries --------------------------------------------------
COMMON=(-O2 -std=c++20 -DNDEBUG -DBOOST_ALL_NO_LIB -D_WIN32_WINNT=0x0A00
        -I"$STAGE/include")
declare -A FLAGS SOURCES
FLAGS[program_options]="-DBOOST_PROGRAM_OPTIONS_STATIC_LINK=1"
SOURCES[program_options]="$(ls "$SRC"/libs/program_options/src/*.cpp)"

# HAS_INIT_PRIORITY and HAS_BCRYPT are what Boost's own configure checks
# find for this compiler; consumers then link -lbcrypt.
FLAGS[filesystem]="-DBOOST_FILESYSTEM_SOURCE -DBOOST_FILESYSTEM_STATIC_LINK=1 -DBOOST_FILESYSTEM_HAS_BCRYPT -DBOOST_FILESYSTEM_HAS_INIT_PRIORITY -DBOOST_USE_WINDOWS_H -DWIN32_LEAN_AND_MEAN -DNOMINMAX -I$SRC/libs/filesystem/src"
SOURCES[filesystem]="$(ls "$SRC"/libs/filesystem/src/*.cpp)"

# Thread on win32 is built with chrono support and needs the Chrono library.
FLAGS[chrono]="-DBOOST_CHRONO_STATIC_LINK=1"
SOURCES[chrono]="$(ls "$SRC"/libs/chrono/src/*.cpp)"

FLAGS[thread]="-DBOOST_THREAD_BUILD_LIB=1 -DBOOST_THREAD_WIN32 -DBOOST_THREAD_USES_CHRONO"
# Same set as Boost's own win32 build. No tss_null.cpp: it also defines
# tss_cleanup_implemented() and, pulled from the archive first, would keep
# tss_pe.o (the TLS callbacks that run thread-exit cleanup) out of the link.
SOURCES[thread]="$(ls "$SRC"/libs/thread/src/win32/*.cpp) $SRC/libs/thread/src/future.cpp"

BUILD="$WORK/build"
for lib in program_options filesystem chrono thread; do
    mkdir -p "$BUILD/$lib"
    log "compiling $lib ($(wc -w <<<"${SOURCES[$lib]}") files)"
    # One job per source file, two at a time; exit 255 makes xargs stop at the
    # first failing compile.
    # shellcheck disable=SC2086,SC2016
    printf '%s\n' ${SOURCES[$lib]} | nice xargs -P "$JOBS" -I{} \
        sh -c 'f="$1"; shift; o="$1"; shift; "$@" -c "$f" -o "$o/$(basename "$f" .cpp).o" || exit 255' \
        sh {} "$BUILD/$lib" "$CXX" "${COMMON[@]}" ${FLAGS[$lib]} \
        || die "compiling $lib failed"
    rm -f "$STAGE/lib/libboost_$lib.a"
    "$AR" rc "$STAGE/lib/libboost_$lib.a" "$BUILD/$lib"/*.o
    "$RANLIB" "$STAGE/lib/libboost_$lib.a"
done

# --- 4. publish -----------------------------------------------------------
rm -rf "$CACHE"
mkdir -p "$(dirname "$CACHE")"
mv "$STAGE" "$CACHE"
printf 'boost %s mingw64 built %s\n' "${orig[0]##*/}" "$(date -u +%FT%TZ)" >"$STAMP"
log "done: $CACHE"
