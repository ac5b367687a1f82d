# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, which
# std::thread needs). tools/build-windows.sh passes TONAREL_WINDOWS_LIBS, the prefix it builds
# the static image libraries and GoogleTest into; they are found there and in MinGW's own root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(TONAREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TONAREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TONAREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TONAREL_MINGW_TRIPLET}-windres)

# The toolchain file is read again for every try_compile; the prefix has to travel with it.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TONAREL_WINDOWS_LIBS)
set(CMAKE_FIND_ROOT_PATH /usr/${TONAREL_MINGW_TRIPLET} ${TONAREL_WINDOWS_LIBS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static, the compiler's runtime and winpthreads included: the programs then need only
# the DLLs every Windows has, and run from wherever they are copied.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)

# Programs built here run on this machine under Wine: the tests and GoogleTest's discovery.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
