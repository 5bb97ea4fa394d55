# Where an install puts things: the GNU layout, the library in the multiarch
# folder where the platform has one (Debian's loader looks there below
# /usr/local as well as /usr), and the viewer's own data in one folder under
# share/.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT WIN32 AND NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR})
  set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}" CACHE PATH
      "Object code libraries (LIBDIR)")
endif()
include(GNUInstallDirs)

set(HALVEX_DATA_NAME "halvex-daystrand")
set(HALVEX_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/${HALVEX_DATA_NAME}")
# The installed program finds its data relative to itself, so an installed
# tree still works after it has been moved or staged under another prefix.
file(RELATIVE_PATH HALVEX_DATA_FROM_BINDIR "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/${HALVEX_DATA_NAME}")

# The desktop's name for the application: desktop file, icon and metadata.
set(HALVEX_APP_ID "com.tessaly.Daystrand")

# Installed folders are world-readable whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
