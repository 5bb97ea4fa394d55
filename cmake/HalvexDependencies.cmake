# Finds every third-party library once, so subsystem folders only link targets.
if(WIN32)
  # The Windows build is the cabinet library alone, a COM server over the
  # system's own cabinet API: it needs widl for its type library and Python to
  # finish what widl leaves undone there, nothing from the Linux side.
  find_program(HALVEX_WIDL NAMES x86_64-w64-mingw32-widl widl REQUIRED)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  return()
endif()

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
pkg_check_modules(MSPACK REQUIRED IMPORTED_TARGET libmspack)

if(HALVEX_BUILD_VIEWER)
  find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Concurrent Test)
  pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
  # Video and animation export: H.264 through libx264, animated WebP and GIF.
  pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
  set(CMAKE_AUTOMOC ON)
endif()

if(HALVEX_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(HALVEX_BUILD_BENCH)
  find_package(benchmark QUIET)
endif()
