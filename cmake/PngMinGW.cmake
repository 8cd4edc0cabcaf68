# libpng for the MinGW-w64 cross build, from the cache that scripts/mingw-deps.sh fills, with
# zlib from Debian's libz-mingw-w64-dev. Defines PNG::PNG, the target Debian's native package
# gives.
include_guard(GLOBAL)

set(VELOTRAX_LIBPNG_MINGW "/var/cache/velotrax/libpng-mingw64"
    CACHE PATH "libpng built for x86_64-w64-mingw32 by scripts/mingw-deps.sh")
if(NOT EXISTS "${VELOTRAX_LIBPNG_MINGW}/.velotrax-libpng-complete")
  message(FATAL_ERROR "libpng for MinGW not found in ${VELOTRAX_LIBPNG_MINGW}. "
                      "Run, as root: scripts/mingw-deps.sh")
endif()
# The static zlib, so that programs need no zlib1.dll beside them.
find_library(VELOTRAX_ZLIB_MINGW NAMES libz.a REQUIRED)
add_library(PNG::PNG STATIC IMPORTED)
set_target_properties(PNG::PNG PROPERTIES
  IMPORTED_LOCATION "${VELOTRAX_LIBPNG_MINGW}/lib/libpng16.a"
  INTERFACE_INCLUDE_DIRECTORIES "${VELOTRAX_LIBPNG_MINGW}/include"
  INTERFACE_LINK_LIBRARIES "${VELOTRAX_ZLIB_MINGW}")
