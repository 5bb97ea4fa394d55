# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads
# variant, for std::thread and std::mutex). Everything the C and C++ runtimes
# need is linked in statically, so a built DLL needs nothing beside itself but
# the system's own libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(halvex_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${halvex_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${halvex_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${halvex_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${halvex_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# Release builds ship without symbols.
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
