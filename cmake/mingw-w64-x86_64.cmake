# Cross-compiles the calculators for 64-bit Windows with MinGW-w64 (Debian package
# g++-mingw-w64-x86-64). The executables are self-contained: the C++ runtime, libgcc and the
# thread library are linked in statically, so nothing but system DLLs is needed beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${mingw_prefix}-g++-win32 ${mingw_prefix}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C runtime headers define fabs and friends as plain inline functions, which g++ cannot
# evaluate in a constant expression; without them the compiler's built-ins are used, as on Linux.
set(CMAKE_CXX_FLAGS_INIT "-D__CRT__NO_INLINE")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The executables run on this machine under Wine (tests, try_run).
find_program(CALC_WINE NAMES wine wine64)
if(CALC_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CALC_WINE})
endif()
