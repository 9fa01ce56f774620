#!/usr/bin/env bash
# Cross-builds the third-party libraries the player links statically (libmpg123, libjpeg,
# and zlib with its minizip archive reader) for both Windows targets, from Debian's own
# source packages.
#
# The libraries are kept outside the clone, so every clone on the machine shares them:
#   $VELMORA_DEPS_CACHE (default ~/.cache/velmora/deps)
#     src/                               unpacked source packages (apt-get source)
#     <triple>/<lib>-<version>-<key>/    one library's headers and archives, where <key>
#                                        hashes its build step (flags) and the toolchain
#   build/deps/<triple>/{include,lib}    the libraries of this clone, copied from the cache
#
# A changed build step, compiler or source version builds anew under a new key; the old
# entry stays for other clones. Needs root only the first time (deb-src entry, sources).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS="$ROOT/build/deps"
CACHE="${VELMORA_DEPS_CACHE:-${HOME:-/root}/.cache/velmora/deps}"
SRC="$CACHE/src"
TRIPLES=(i686-w64-mingw32 x86_64-w64-mingw32)
JOBS="${VELMORA_JOBS:-2}"

log() { echo "[deps] $*"; }

have_deb_src() {
  grep -rqsE '^[[:space:]]*deb-src[[:space:]]|^Types:.*deb-src' \
    /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null
}

# Debian 12 describes its archives in deb822 form (debian.sources); older images use
# sources.list. Mirror whichever is there as source entries in a file of our own.
add_deb_src() {
  local out=/etc/apt/sources.list.d/velmora-deb-src.sources
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$out"
  elif grep -qsE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list; then
    out=/etc/apt/sources.list.d/velmora-deb-src.list
    grep -E '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list | sed -E 's/^([[:space:]]*)deb /\1deb-src /' > "$out"
  else
    cat > "$out" <<'SRCS'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRCS
  fi
  log "added source entries in $out"
}

fetch_listed_files() {
  local pkg="$1" uri name size sum
  apt-get source --print-uris -qq "$pkg" | grep "^'" | while read -r uri name size sum; do
    uri="${uri//\'/}"
    [[ -f "$SRC/$name" ]] && continue
    if ! /usr/lib/apt/apt-helper download-file "$uri" "$SRC/$name" "$sum" >&2; then
      rm -f "$SRC/$name"
      if [[ "$name" == *.asc ]]; then log "no $name on the mirror; going on without it" >&2
      else echo "[deps] cannot download $uri" >&2; exit 1; fi
    fi
  done
}

# Unpacks source package $1 into $SRC and prints the directory.
fetch_source() {
  local pkg="$1" dir
  dir="$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" 2>/dev/null | sort | tail -n1)"
  if [[ -n "$dir" && -f "$SRC/.fetched-$pkg" ]]; then echo "$dir"; return; fi
  if [[ $EUID -ne 0 ]]; then
    echo "[deps] fetching the $pkg sources needs root (apt-get source)" >&2; exit 1
  fi
  command -v dpkg-source >/dev/null || { apt-get update >&2; apt-get install -y dpkg-dev >&2; }
  if ! have_deb_src; then add_deb_src >&2; apt-get update >&2; fi
  mkdir -p "$SRC"
  rm -rf "$SRC/${pkg}-"*
  log "apt-get source $pkg" >&2
  if ! (cd "$SRC" && apt-get source -qq "$pkg" >&2); then
    # Some mirrors do not carry the detached upstream signatures (*.asc) a .dsc lists,
    # which makes apt-get source give up. Fetch the listed files one by one instead,
    # each checked against the hash in the source index, and unpack without the
    # signature check; a missing .asc is the only failure tolerated.
    # A security update whose files the mirror does not have yet falls back to the
    # next version the source index lists.
    log "apt-get source $pkg failed; fetching the listed files one by one" >&2
    rm -rf "$SRC/${pkg}-"*
    local v fetched=0
    for v in $(apt-cache showsrc "$pkg" | awk '/^Version:/ {print $2}' | sort -urV); do
      if (fetch_listed_files "$pkg=$v"); then fetched=1; break; fi
      log "$pkg $v: not on the mirror; trying an older version" >&2
      rm -f "$SRC/${pkg}"_*.dsc
    done
    [[ $fetched == 1 ]] || { echo "[deps] cannot download the $pkg sources" >&2; exit 1; }
    local dsc
    dsc="$(ls -1 "$SRC/${pkg}"_*.dsc | sort | tail -n1)"
    (cd "$SRC" && dpkg-source --no-check -x "$(basename "$dsc")" >&2)
  fi
  dir="$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" | sort | tail -n1)"
  [[ -n "$dir" ]] || { echo "[deps] no unpacked $pkg source in $SRC" >&2; exit 1; }
  touch "$SRC/.fetched-$pkg"
  echo "$dir"
}

# Each build_<lib> TRIPLE SRC PREFIX BDIR builds one library from SRC in the empty work
# folder BDIR and installs its headers and archives under PREFIX (see cached_build).
build_mpg123() {
  local triple="$1" src="$2" prefix="$3" bdir="$4"
  # Only the decoder library is needed; generic_fpu avoids the assembler paths that
  # differ between the two targets, and no output modules means no audio back-ends.
  (cd "$bdir" && "$src/configure" --host="$triple" --prefix="$prefix" \
      CC="$triple-gcc-posix" \
      --enable-static --disable-shared --disable-components --enable-libmpg123 \
      --with-cpu=generic_fpu --disable-modules --with-default-audio=dummy \
      --disable-dependency-tracking >configure.log 2>&1) \
    || { tail -n 40 "$bdir/configure.log"; exit 1; }
  (cd "$bdir" && make -j"$JOBS" >make.log 2>&1 && make install >install.log 2>&1) \
    || { tail -n 40 "$bdir/make.log"; exit 1; }
  [[ -f "$prefix/lib/libmpg123.a" && -f "$prefix/include/mpg123.h" ]] \
    || { echo "[deps] $triple: libmpg123 install incomplete" >&2; exit 1; }
}

build_jpeg() {
  local triple="$1" src="$2" prefix="$3" bdir="$4"
  local simd=OFF
  command -v nasm >/dev/null && simd=ON
  mkdir -p "$prefix/include" "$prefix/lib"
  cmake -S "$src" -B "$bdir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$triple.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD="$simd" \
      -DWITH_JAVA=OFF >"$bdir/configure.log" 2>&1 \
    || { tail -n 40 "$bdir/configure.log"; exit 1; }
  # Only the library: the command-line tools and docs are of no use here.
  ninja -C "$bdir" -j"$JOBS" jpeg-static >"$bdir/make.log" 2>&1 \
    || { tail -n 40 "$bdir/make.log"; exit 1; }
  local lib
  lib="$(find "$bdir" -maxdepth 2 -name 'libjpeg*.a' | head -n1)"
  [[ -n "$lib" ]] || { echo "[deps] $triple: no libjpeg archive built" >&2; exit 1; }
  cp "$lib" "$prefix/lib/libjpeg.a"
  cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$bdir/jconfig.h" "$prefix/include/"
}

# zlib and the unzip half of its contrib/minizip, compiled straight from the sources into
# libz.a and libminizip.a (headers zlib.h, zconf.h and minizip/{unzip,ioapi}.h).
build_zlib() {
  local triple="$1" src="$2" prefix="$3" bdir="$4" cc="$1-gcc-posix" f
  [[ -f "$src/contrib/minizip/unzip.c" ]] || { echo "[deps] no contrib/minizip in $src" >&2; exit 1; }
  mkdir -p "$bdir/z" "$bdir/mz" "$prefix/include/minizip" "$prefix/lib"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    "$cc" -O2 -c "$src/$f.c" -o "$bdir/z/$f.o" 2>>"$bdir/build.log" \
      || { tail -n 40 "$bdir/build.log"; exit 1; }
  done
  for f in ioapi unzip; do
    "$cc" -O2 -I"$src" -c "$src/contrib/minizip/$f.c" -o "$bdir/mz/$f.o" 2>>"$bdir/build.log" \
      || { tail -n 40 "$bdir/build.log"; exit 1; }
  done
  "$triple-ar" rcs "$bdir/libz.a" "$bdir"/z/*.o
  "$triple-ar" rcs "$bdir/libminizip.a" "$bdir"/mz/*.o
  cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
  cp "$src/contrib/minizip/unzip.h" "$src/contrib/minizip/ioapi.h" "$prefix/include/minizip/"
  cp "$bdir/libz.a" "$bdir/libminizip.a" "$prefix/lib/"
}

# The decoders of the second input plug-in: libogg, libFLAC, libvorbis(file), libopus and
# opusfile. Each later one finds the earlier ones in build/deps/TRIPLE, where cached_build
# has copied them.
autotools_build() {
  local triple="$1" src="$2" prefix="$3" bdir="$4"; shift 4
  (cd "$bdir" && "$src/configure" --host="$triple" --prefix="$prefix" \
      CC="$triple-gcc-posix" CFLAGS="-O2" \
      --enable-static --disable-shared --disable-dependency-tracking "$@" \
      >configure.log 2>&1) \
    || { tail -n 40 "$bdir/configure.log"; exit 1; }
  (cd "$bdir" && make -j"$JOBS" >make.log 2>&1 && make install >install.log 2>&1) \
    || { tail -n 40 "$bdir/make.log"; exit 1; }
}

build_ogg() {
  autotools_build "$@"
  [[ -f "$3/lib/libogg.a" ]] || { echo "[deps] $1: libogg install incomplete" >&2; exit 1; }
}

# The source's autotools files are older than its configure.ac, which would re-run
# automake: its CMake build instead, library only. A static libFLAC wants FLAC__NO_DLL
# wherever its headers are included (the imported target says so).
build_flac() {
  local triple="$1" src="$2" prefix="$3" bdir="$4" deps="$DEPS/$1"
  cmake -S "$src" -B "$bdir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$triple.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOCS=OFF \
      -DBUILD_CXXLIBS=OFF -DBUILD_TESTING=OFF -DINSTALL_MANPAGES=OFF \
      -DWITH_STACK_PROTECTOR=OFF -DWITH_OGG=ON \
      -DOGG_INCLUDE_DIR="$deps/include" -DOGG_LIBRARY="$deps/lib/libogg.a" \
      >"$bdir/configure.log" 2>&1 \
    || { tail -n 40 "$bdir/configure.log"; exit 1; }
  ninja -C "$bdir" -j"$JOBS" FLAC >"$bdir/make.log" 2>&1 \
    || { tail -n 40 "$bdir/make.log"; exit 1; }
  local lib
  lib="$(find "$bdir" -name 'libFLAC.a' | head -n1)"
  [[ -n "$lib" ]] || { echo "[deps] $triple: no libFLAC archive built" >&2; exit 1; }
  mkdir -p "$prefix/include/FLAC" "$prefix/lib"
  cp "$lib" "$prefix/lib/libFLAC.a"
  cp "$src"/include/FLAC/*.h "$prefix/include/FLAC/"
}

build_vorbis() {
  local deps="$DEPS/$1"
  autotools_build "$@" --disable-docs --disable-examples --disable-oggtest \
      --with-ogg="$deps" OGG_CFLAGS="-I$deps/include" OGG_LIBS="-L$deps/lib -logg"
  [[ -f "$3/lib/libvorbisfile.a" ]] || { echo "[deps] $1: libvorbis install incomplete" >&2; exit 1; }
}

# The source adds _FORTIFY_SOURCE whatever it is told: its archive needs -lssp at link time.
build_opus() {
  autotools_build "$@" --disable-doc --disable-extra-programs \
      --disable-hardening --disable-stack-protector
  [[ -f "$3/lib/libopus.a" ]] || { echo "[deps] $1: libopus install incomplete" >&2; exit 1; }
}

build_opusfile() {
  local deps="$DEPS/$1"
  autotools_build "$@" --disable-http --disable-examples --disable-doc \
      DEPS_CFLAGS="-I$deps/include -I$deps/include/opus" \
      DEPS_LIBS="-L$deps/lib -lopus -logg"
  [[ -f "$3/lib/libopusfile.a" ]] || { echo "[deps] $1: opusfile install incomplete" >&2; exit 1; }
}

# What a library's cache entry depends on besides its source version: its build step, the
# toolchain file, the cross compiler and the mingw-w64 runtime.
toolchain_id() {
  local triple="$1"
  {
    cat "$ROOT/cmake/toolchain-$triple.cmake" 2>/dev/null
    "$triple-gcc-posix" --version 2>/dev/null | head -n1
    dpkg-query -W -f='${Version}\n' mingw-w64-common 2>/dev/null || true
  }
}

# cached_build LIB TRIPLE SRC: builds LIB (build_LIB) unless the cache has it for this
# source version, build step and toolchain, then copies it into build/deps/TRIPLE.
cached_build() {
  local lib="$1" triple="$2" src="$3" key entry
  key="$({ declare -f "build_$lib"; toolchain_id "$triple"; } | sha1sum | cut -c1-12)"
  entry="$CACHE/$triple/$lib-$(basename "$src")-$key"
  if [[ -f "$entry/.done" ]]; then
    log "$triple $lib: cached ($(basename "$entry"))"
  else
    log "$triple $lib: building into $entry"
    local bdir="$CACHE/work/$triple/$lib"
    rm -rf "$bdir" "$entry"; mkdir -p "$bdir" "$entry"
    ( "build_$lib" "$triple" "$src" "$entry" "$bdir" ) || { rm -rf "$entry"; exit 1; }
    rm -rf "$bdir"
    touch "$entry/.done"
  fi
  mkdir -p "$DEPS/$triple"
  cp -a "$entry/." "$DEPS/$triple/"
  rm -f "$DEPS/$triple/.done"
}

# A trivial program using the libraries, cross-linked: proves the archives are usable.
check_link() {
  local triple="$1" prefix="$DEPS/$1" stamp="$DEPS/$1/.stamp-linkcheck"
  [[ -f "$stamp" ]] && return
  local dir="$DEPS/work/$triple/check"
  mkdir -p "$dir"
  cat > "$dir/check.c" <<'C'
#include <stdio.h>
#include <mpg123.h>
#include <jpeglib.h>
int main(void) {
  struct jpeg_error_mgr err;
  mpg123_init();
  jpeg_std_error(&err);
  mpg123_handle* h = mpg123_new(NULL, NULL);
  mpg123_delete(h);
  return 0;
}
C
  "$triple-gcc-posix" -static -I"$prefix/include" "$dir/check.c" -o "$dir/check.exe" \
      -L"$prefix/lib" -lmpg123 -ljpeg -lshlwapi \
    || { echo "[deps] $triple: test link against the libraries failed" >&2; exit 1; }
  touch "$stamp"
}

check_link_zip() {
  local triple="$1" prefix="$DEPS/$1" stamp="$DEPS/$1/.stamp-linkcheck-zip"
  [[ -f "$stamp" ]] && return
  local dir="$DEPS/work/$triple/check"
  mkdir -p "$dir"
  cat > "$dir/check_zip.c" <<'C'
#include <minizip/unzip.h>
int main(void) {
  unzFile z = unzOpen64("none.zip");
  if (z) unzClose(z);
  return zlibVersion()[0] == '1' ? 0 : 1;
}
C
  "$triple-gcc-posix" -static -I"$prefix/include" "$dir/check_zip.c" -o "$dir/check_zip.exe" \
      -L"$prefix/lib" -lminizip -lz \
    || { echo "[deps] $triple: test link against zlib and minizip failed" >&2; exit 1; }
  touch "$stamp"
}

check_link_decoders() {
  local triple="$1" prefix="$DEPS/$1" stamp="$DEPS/$1/.stamp-linkcheck-decoders"
  [[ -f "$stamp" ]] && return
  local dir="$DEPS/work/$triple/check"
  mkdir -p "$dir"
  cat > "$dir/check_decoders.c" <<'C'
#define FLAC__NO_DLL
#include <FLAC/stream_decoder.h>
#include <vorbis/vorbisfile.h>
#include <opusfile.h>
int main(void) {
  FLAC__StreamDecoder* d = FLAC__stream_decoder_new();
  OggVorbis_File vf;
  int err = 0;
  OggOpusFile* of = op_open_memory((const unsigned char*)"", 0, &err);
  if (of) op_free(of);
  if (ov_open_callbacks(NULL, &vf, "", 0, OV_CALLBACKS_NOCLOSE) == 0) ov_clear(&vf);
  FLAC__stream_decoder_delete(d);
  return 0;
}
C
  "$triple-gcc-posix" -static -I"$prefix/include" -I"$prefix/include/opus" \
      "$dir/check_decoders.c" -o "$dir/check_decoders.exe" \
      -L"$prefix/lib" -lFLAC -lopusfile -lvorbisfile -lvorbis -lopus -logg -lssp \
    || { echo "[deps] $triple: test link against the decoders failed" >&2; exit 1; }
  touch "$stamp"
}

main() {
  mkdir -p "$CACHE"
  # One run at a time per cache: two clones building at once wait for each other.
  exec 9>"$CACHE/.lock"
  flock 9
  local mpg_src jpeg_src zlib_src ogg_src flac_src vorbis_src opus_src opusfile_src
  mpg_src="$(fetch_source mpg123)"
  jpeg_src="$(fetch_source libjpeg-turbo)"
  zlib_src="$(fetch_source zlib)"
  ogg_src="$(fetch_source libogg)"
  flac_src="$(fetch_source flac)"
  vorbis_src="$(fetch_source libvorbis)"
  opus_src="$(fetch_source opus)"
  opusfile_src="$(fetch_source opusfile)"
  rm -rf "$DEPS"
  for t in "${TRIPLES[@]}"; do
    cached_build mpg123 "$t" "$mpg_src"
    cached_build jpeg "$t" "$jpeg_src"
    check_link "$t"
    cached_build zlib "$t" "$zlib_src"
    check_link_zip "$t"
    cached_build ogg "$t" "$ogg_src"
    cached_build flac "$t" "$flac_src"
    cached_build vorbis "$t" "$vorbis_src"
    cached_build opus "$t" "$opus_src"
    cached_build opusfile "$t" "$opusfile_src"
    check_link_decoders "$t"
  done
  log "ready: $DEPS/{${TRIPLES[*]// /,}}"
}

main "$@"
