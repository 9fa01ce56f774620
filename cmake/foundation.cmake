# Build pieces shared by the whole tree: the cross-built third-party libraries as imported
# targets, and the demo track placed in the program folder.

# --- third-party libraries (made by scripts/build_deps.sh) ---------------------------------
# Deps::mpg123 (mpg123.h, libmpg123.a), the decoders below, Deps::jpeg (jpeglib.h, libjpeg.a) and Deps::zip
# (zlib and minizip's unzip: zlib.h, minizip/unzip.h, libminizip.a, libz.a), static.
if(WIN32)
  if(EXISTS ${VELMORA_DEPS_PREFIX}/lib/libmpg123.a AND NOT TARGET Deps::mpg123)
    add_library(Deps::mpg123 STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::mpg123 PROPERTIES
      IMPORTED_LOCATION ${VELMORA_DEPS_PREFIX}/lib/libmpg123.a
      INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_DEPS_PREFIX}/include
      # The library's long-path helpers call into the shell path API.
      INTERFACE_LINK_LIBRARIES shlwapi)
  endif()
  if(EXISTS ${VELMORA_DEPS_PREFIX}/lib/libjpeg.a AND NOT TARGET Deps::jpeg)
    add_library(Deps::jpeg STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::jpeg PROPERTIES
      IMPORTED_LOCATION ${VELMORA_DEPS_PREFIX}/lib/libjpeg.a
      INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_DEPS_PREFIX}/include)
  endif()
  if(EXISTS ${VELMORA_DEPS_PREFIX}/lib/libminizip.a AND EXISTS ${VELMORA_DEPS_PREFIX}/lib/libz.a
     AND NOT TARGET Deps::zip)
    add_library(Deps::zlib STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::zlib PROPERTIES
      IMPORTED_LOCATION ${VELMORA_DEPS_PREFIX}/lib/libz.a
      INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_DEPS_PREFIX}/include)
    add_library(Deps::zip STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::zip PROPERTIES
      IMPORTED_LOCATION ${VELMORA_DEPS_PREFIX}/lib/libminizip.a
      INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_DEPS_PREFIX}/include
      INTERFACE_LINK_LIBRARIES Deps::zlib)
  endif()
  # The decoders of the second input plug-in: Deps::flac (FLAC/*.h, static: FLAC__NO_DLL),
  # Deps::vorbisfile (vorbis/vorbisfile.h) and Deps::opusfile (opusfile.h), each with
  # libogg; libopus is built with _FORTIFY_SOURCE, which needs libssp.
  set(_d ${VELMORA_DEPS_PREFIX}/lib)
  if(EXISTS ${_d}/libogg.a AND EXISTS ${_d}/libFLAC.a AND EXISTS ${_d}/libvorbisfile.a
     AND EXISTS ${_d}/libopusfile.a AND NOT TARGET Deps::opusfile)
    add_library(Deps::ogg STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::ogg PROPERTIES IMPORTED_LOCATION ${_d}/libogg.a
      INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_DEPS_PREFIX}/include)
    add_library(Deps::flac STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::flac PROPERTIES IMPORTED_LOCATION ${_d}/libFLAC.a
      INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_DEPS_PREFIX}/include
      INTERFACE_COMPILE_DEFINITIONS FLAC__NO_DLL
      INTERFACE_LINK_LIBRARIES Deps::ogg)
    add_library(Deps::vorbis STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::vorbis PROPERTIES IMPORTED_LOCATION ${_d}/libvorbis.a
      INTERFACE_LINK_LIBRARIES Deps::ogg)
    add_library(Deps::vorbisfile STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::vorbisfile PROPERTIES IMPORTED_LOCATION ${_d}/libvorbisfile.a
      INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_DEPS_PREFIX}/include
      INTERFACE_LINK_LIBRARIES Deps::vorbis)
    add_library(Deps::opus STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::opus PROPERTIES IMPORTED_LOCATION ${_d}/libopus.a
      INTERFACE_LINK_LIBRARIES ssp)
    add_library(Deps::opusfile STATIC IMPORTED GLOBAL)
    set_target_properties(Deps::opusfile PROPERTIES IMPORTED_LOCATION ${_d}/libopusfile.a
      INTERFACE_INCLUDE_DIRECTORIES "${VELMORA_DEPS_PREFIX}/include;${VELMORA_DEPS_PREFIX}/include/opus"
      INTERFACE_LINK_LIBRARIES "Deps::opus;Deps::ogg")
  endif()
  if(NOT TARGET Deps::mpg123 OR NOT TARGET Deps::jpeg OR NOT TARGET Deps::zip)
    message(STATUS "Cross-built libraries missing under ${VELMORA_DEPS_PREFIX}; "
                   "run scripts/build_deps.sh")
  endif()
endif()

# --- demo track -------------------------------------------------------------------------
# A short plucked tune, synthesised and encoded at build time: <dist>/demo.mp3.
if(WIN32)
  find_program(VELMORA_SOX sox)
  find_program(VELMORA_LAME lame)
  if(VELMORA_SOX AND VELMORA_LAME)
    set(_notes C4 E4 G4 C5 G4 E4 F4 A4 C5 F5 C5 A4 G4 B4 D5 G5 D5 B4 C5 G4 E4 C4)
    set(_synth)
    foreach(_note ${_notes})
      if(_synth)
        list(APPEND _synth :)
      endif()
      list(APPEND _synth synth 0.35 pluck ${_note})
    endforeach()
    set(_wav ${CMAKE_BINARY_DIR}/demo.wav)
    add_custom_command(
      OUTPUT ${VELMORA_DIST}/demo.mp3
      COMMAND ${VELMORA_SOX} -q -n -r 44100 -c 2 -b 16 ${_wav} ${_synth}
      COMMAND ${VELMORA_LAME} --quiet -b 128 --tt "Velmora Demo" --ta "Velmora"
              ${_wav} ${VELMORA_DIST}/demo.mp3
      DEPENDS ${CMAKE_CURRENT_LIST_FILE}
      COMMENT "Making the demo track"
      VERBATIM)
    add_custom_target(velmora_demo ALL DEPENDS ${VELMORA_DIST}/demo.mp3)
  else()
    message(STATUS "sox or lame missing: no demo track")
  endif()
endif()
