# Cross compilation for 64-bit Windows with Debian's mingw-w64, posix
# threads flavour (std::thread and friends through winpthreads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELVIK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELVIK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVIK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELVIK_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${ZELVIK_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZELVIK_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the target's sysroot and from the
# dependency prefix (ZELVIK_WINDOWS_DEPS, passed on the command line and
# handed on to try_compile); programs still come from the build machine.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZELVIK_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${ZELVIK_MINGW_TRIPLE})
if(ZELVIK_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZELVIK_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must see only the Windows libraries, never the build
# machine's.
if(ZELVIK_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} ${ZELVIK_WINDOWS_DEPS}/lib/pkgconfig)
else()
  set(ENV{PKG_CONFIG_LIBDIR} "")
endif()
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Target programs (the tests) run under Wine: scripts/build-windows passes
# CMAKE_CROSSCOMPILING_EMULATOR.
