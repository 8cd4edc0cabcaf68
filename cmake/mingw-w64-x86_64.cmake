# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
# The C/C++ runtimes and winpthread are linked statically, so .exe/.dll files
# need no MinGW DLLs next to them on Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_velotrax_mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_velotrax_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_velotrax_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_velotrax_mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_velotrax_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static makes the linker prefer libwinpthread.a, libstdc++.a and libgcc*.a
# over their import libraries; Windows system DLLs stay dynamic.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets try_run and tests execute the produced binaries through Wine.
find_program(VELOTRAX_WINE wine)
if(VELOTRAX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELOTRAX_WINE})
endif()
