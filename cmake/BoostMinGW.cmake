# Boost 1.81 for the MinGW-w64 cross build, from the cache that
# scripts/mingw-deps.sh fills. Include it instead of find_package(Boost) when
# CMAKE_CROSSCOMPILING; it defines the same IMPORTED target names:
#   Boost::headers / Boost::boost   include dir (+ BOOST_ALL_NO_LIB)
#   Boost::system                   header-only; also links ws2_32 + mswsock,
#                                   which Boost.Asio needs on Windows
#   Boost::asio                     same as Boost::system, for readability
#   Boost::program_options          libboost_program_options.a
#   Boost::filesystem               libboost_filesystem.a + bcrypt
#   Boost::chrono                   libboost_chrono.a (needed by thread)
#   Boost::thread                   libboost_thread.a + chrono,
#                                   BOOST_THREAD_USE_LIB for static linking
# Also sets Boost_FOUND, Boost_VERSION and Boost_INCLUDE_DIRS.
include_guard(GLOBAL)

set(VELOTRAX_BOOST_MINGW "/var/cache/velotrax/boost-1.81-mingw64"
    CACHE PATH "Boost 1.81 built for x86_64-w64-mingw32 by scripts/mingw-deps.sh")

set(_vb_root "${VELOTRAX_BOOST_MINGW}")
if(NOT EXISTS "${_vb_root}/.velotrax-boost-complete")
  message(FATAL_ERROR
    "Boost for MinGW not found in VELOTRAX_BOOST_MINGW=${_vb_root} "
    "(no completed build there). Run, as root:\n"
    "  scripts/mingw-deps.sh\n"
    "(env VELOTRAX_BOOST_MINGW selects another directory; pass the same path "
    "to CMake with -DVELOTRAX_BOOST_MINGW=...).")
endif()

if(NOT TARGET Boost::headers)
  add_library(Boost::headers INTERFACE IMPORTED)
  set_target_properties(Boost::headers PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_vb_root}/include"
    INTERFACE_COMPILE_DEFINITIONS "BOOST_ALL_NO_LIB")

  add_library(Boost::boost INTERFACE IMPORTED)
  set_target_properties(Boost::boost PROPERTIES
    INTERFACE_LINK_LIBRARIES Boost::headers)

  # Boost.System is header-only since 1.69. Asio (header-only) needs Winsock.
  add_library(Boost::system INTERFACE IMPORTED)
  set_target_properties(Boost::system PROPERTIES
    INTERFACE_LINK_LIBRARIES "Boost::headers;ws2_32;mswsock")

  add_library(Boost::asio INTERFACE IMPORTED)
  set_target_properties(Boost::asio PROPERTIES
    INTERFACE_LINK_LIBRARIES Boost::system)

  add_library(Boost::program_options STATIC IMPORTED)
  set_target_properties(Boost::program_options PROPERTIES
    IMPORTED_LOCATION "${_vb_root}/lib/libboost_program_options.a"
    INTERFACE_COMPILE_DEFINITIONS "BOOST_PROGRAM_OPTIONS_STATIC_LINK=1"
    INTERFACE_LINK_LIBRARIES Boost::headers)

  # Built with BOOST_FILESYSTEM_HAS_BCRYPT (unique_path uses BCryptGenRandom).
  add_library(Boost::filesystem STATIC IMPORTED)
  set_target_properties(Boost::filesystem PROPERTIES
    IMPORTED_LOCATION "${_vb_root}/lib/libboost_filesystem.a"
    INTERFACE_COMPILE_DEFINITIONS "BOOST_FILESYSTEM_STATIC_LINK=1"
    INTERFACE_LINK_LIBRARIES "Boost::system;bcrypt")

  add_library(Boost::chrono STATIC IMPORTED)
  set_target_properties(Boost::chrono PROPERTIES
    IMPORTED_LOCATION "${_vb_root}/lib/libboost_chrono.a"
    INTERFACE_COMPILE_DEFINITIONS "BOOST_CHRONO_STATIC_LINK=1"
    INTERFACE_LINK_LIBRARIES Boost::headers)

  # Static-library use; MinGW defaults to it, stated so nothing flips to DLL.
  add_library(Boost::thread STATIC IMPORTED)
  set_target_properties(Boost::thread PROPERTIES
    IMPORTED_LOCATION "${_vb_root}/lib/libboost_thread.a"
    INTERFACE_COMPILE_DEFINITIONS "BOOST_THREAD_USE_LIB=1;BOOST_THREAD_WIN32;BOOST_THREAD_USES_CHRONO"
    INTERFACE_LINK_LIBRARIES "Boost::chrono;Boost::system")
endif()

set(Boost_FOUND TRUE)
set(Boost_VERSION "1.81.0")
set(Boost_INCLUDE_DIRS "${_vb_root}/include")
unset(_vb_root)
