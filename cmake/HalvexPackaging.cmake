# Debian packages, made with `cpack -G DEB` in a build folder:
#   halvex-daystrand       the viewer, its tools, data, desktop files and manual pages
#   libtessalycabinet<N>   the TessalyCabinet shared library (N: its SONAME version)
#   libtessalycabinet-dev  headers, link names, the CMake package and pkg-config file
# Each package carries the copyright and changelog files Debian asks for.

set(halvex_packages
  "Viewer\;halvex-daystrand\;graphics"
  "Library\;libtessalycabinet${PROJECT_VERSION_MAJOR}\;libs"
  "Development\;libtessalycabinet-dev\;libdevel")

find_program(HALVEX_GZIP gzip REQUIRED)
set(changelogs)
foreach(entry IN LISTS halvex_packages)
  list(GET entry 0 component)
  list(GET entry 1 package)
  list(GET entry 2 section)
  string(TOUPPER "${component}" upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME "${package}")
  set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION "${section}")

  set(PACKAGE "${package}")
  set(doc "${PROJECT_BINARY_DIR}/package-doc/${package}")
  configure_file("${PROJECT_SOURCE_DIR}/data/debian/changelog.in" "${doc}/changelog" @ONLY)
  add_custom_command(OUTPUT "${doc}/changelog.gz"
    COMMAND "${HALVEX_GZIP}" -9nkf "${doc}/changelog"
    DEPENDS "${doc}/changelog"
    VERBATIM)
  list(APPEND changelogs "${doc}/changelog.gz")
  install(FILES "${PROJECT_SOURCE_DIR}/data/debian/copyright" "${doc}/changelog.gz"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}" COMPONENT ${component})
endforeach()
add_custom_target(halvex_package_docs ALL DEPENDS ${changelogs})

set(CPACK_PACKAGE_NAME "halvex-daystrand")
# Each package's description below starts with its own summary line.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGE_VENDOR "Tessaly")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "HALVEX Daystrand developers <daystrand@tessaly.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tessaly.example/daystrand/")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL Viewer Library Development)
set(CPACK_COMPONENT_VIEWER_DEPENDS Library)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Library)

set(CPACK_DEBIAN_VIEWER_DESCRIPTION
"viewer for daylight studies of buildings
HALVEX Daystrand shows daylight studies rendered by the HALVEX
lighting-design product: the pictures of a building's views for many dates
and times of day, side by side in up to four panels, stepped or played back.
It lists a study's samples, copies them as tab-delimited text and packs a
study into a package file.
.
The package also holds the command-line tools dvftool (inspect, pack and
unpack studies), tcab (create, list and extract cabinet files) and
make-sample-study (render a demonstration study).")
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION
"cabinet file library (runtime)
TessalyCabinet builds Microsoft Cabinet files from files and directory
trees, and lists and extracts them, with progress events that can cancel.
.
This package holds the shared library.")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"cabinet file library (development files)
TessalyCabinet builds Microsoft Cabinet files from files and directory
trees, and lists and extracts them, with progress events that can cancel.
.
This package holds the headers, the CMake package and the pkg-config file.")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The library's package says which libraries it provides (shlibs) and has the
# loader's cache brought up to date by dpkg's trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/data/debian/triggers")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_VIEWER_PACKAGE_RECOMMENDS "xdg-utils")
# The library's package is found by dpkg-shlibdeps while the viewer's tools
# are packed, from the library built in this tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")

include(CPack)
