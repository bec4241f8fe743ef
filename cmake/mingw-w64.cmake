# Cross-building the headless program for 64-bit Windows with Debian's MinGW-w64 (posix
# threads). The C++ runtime is linked in, so the program needs nothing but the Firebird
# client; the test programs run under Wine through scripts/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORTAVO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORTAVO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORTAVO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ORTAVO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORTAVO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
