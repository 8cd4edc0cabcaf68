# pugixml for the MinGW-w64 cross build, from the cache that scripts/mingw-deps.sh fills.
# Defines pugixml::pugixml, the target Debian's native package gives.
include_guard(GLOBAL)

set(VELOTRAX_PUGIXML_MINGW "/var/cache/velotrax/pugixml-mingw64"
    CACHE PATH "pugixml built for x86_64-w64-mingw32 by scripts/mingw-deps.sh")
if(NOT EXISTS "${VELOTRAX_PUGIXML_MINGW}/.velotrax-pugixml-complete")
  message(FATAL_ERROR "pugixml for MinGW not found in ${VELOTRAX_PUGIXML_MINGW}. "
                      "Run, as root: scripts/mingw-deps.sh")
endif()
add_library(pugixml::pugixml STATIC IMPORTED)
set_target_properties(pugixml::pugixml PROPERTIES
  IMPORTED_LOCATION "${VELOTRAX_PUGIXML_MINGW}/lib/libpugixml.a"
  INTERFACE_INCLUDE_DIRECTORIES "${VELOTRAX_PUGIXML_MINGW}/include")
