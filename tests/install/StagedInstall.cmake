# One step of the staged-install tests, chosen by STEP:
#   Install     cmake --install into STAGE
#   Contents    every file a package must hold, nothing else, no run path
#   Validators  desktop-file-validate and appstreamcli accept the desktop files
#   MimeTypes   xdg-mime names our types for a study file and a package
include("${CMAKE_CURRENT_LIST_DIR}/../support/ScriptSupport.cmake")
halvex_require(STEP BUILD_DIR STAGE LIBDIR APP_ID VERSION SOVERSION TCAB)

set(prefix "${STAGE}/prefix")

if(STEP STREQUAL "Install")
  file(REMOVE_RECURSE "${STAGE}")
  run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
  return()
endif()

if(STEP STREQUAL "Contents")
  set(programs HALVEX-Daystrand dvftool tcab make-sample-study)
  set(expected
    share/halvex-daystrand/HALVEX-Daystrand.jpg
    share/halvex-daystrand/help/index.html
    share/halvex-daystrand/help/style.css
    share/applications/${APP_ID}.desktop
    share/mime/packages/${APP_ID}.xml
    share/metainfo/${APP_ID}.metainfo.xml
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    ${LIBDIR}/libTessalyCabinet.so.${VERSION}
    ${LIBDIR}/libTessalyCabinet.so.${SOVERSION}
    ${LIBDIR}/libTessalyCabinet.so
    ${LIBDIR}/cmake/TessalyCabinet/TessalyCabinetConfig.cmake
    ${LIBDIR}/cmake/TessalyCabinet/TessalyCabinetConfigVersion.cmake
    ${LIBDIR}/pkgconfig/TessalyCabinet.pc
    include/TessalyCabinet/cabinet/TessalyCabinet.h)
  foreach(program IN LISTS programs)
    list(APPEND expected bin/${program} share/man/man1/${program}.1.gz)
  endforeach()
  foreach(size 16 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
  endforeach()
  foreach(package halvex-daystrand libtessalycabinet${SOVERSION} libtessalycabinet-dev)
    list(APPEND expected share/doc/${package}/copyright share/doc/${package}/changelog.gz)
  endforeach()
  foreach(file IN LISTS expected)
    if(NOT EXISTS "${prefix}/${file}")
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()

  # Everything else installed lies in a place some package owns, and nothing
  # of the build tree (test programs, benchmarks, build files) comes along.
  file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${prefix}" "${prefix}/*")
  set(allowed "^(bin/(HALVEX-Daystrand|dvftool|tcab|make-sample-study)|${LIBDIR}/(lib(TessalyCabinet|halvex_com)\\.so.*|cmake/TessalyCabinet/.*|pkgconfig/TessalyCabinet\\.pc)|include/TessalyCabinet/.*\\.h|share/(halvex-daystrand/.*|applications/${APP_ID}\\.desktop|mime/packages/${APP_ID}\\.xml|metainfo/${APP_ID}\\.metainfo\\.xml|icons/hicolor/.*/apps/${APP_ID}\\.(png|svg)|man/man1/.*\\.1\\.gz|doc/[a-z0-9-]+/(copyright|changelog\\.gz)))$")
  foreach(file IN LISTS installed)
    if(NOT file MATCHES "${allowed}")
      message(FATAL_ERROR "installed but no package's: ${file}")
    endif()
    if(file MATCHES "\\.(cmake|pc|desktop|xml|html)$")
      file(READ "${prefix}/${file}" text)
      string(FIND "${text}" "${BUILD_DIR}" at)
      if(NOT at EQUAL -1)
        message(FATAL_ERROR "${file} names the build folder")
      endif()
    endif()
  endforeach()

  # Installed programs and libraries find their libraries in the system's
  # folders, never through a run path into the build tree or beside themselves.
  foreach(file IN LISTS installed)
    if(file MATCHES "^bin/|\\.so\\.")
      run(readelf --dynamic "${prefix}/${file}")
      if(last_output MATCHES "R(UN)?PATH")
        message(FATAL_ERROR "${file} carries a run path:\n${last_output}")
      endif()
    endif()
  endforeach()
  run(readelf --dynamic "${prefix}/${LIBDIR}/libTessalyCabinet.so.${VERSION}")
  if(NOT last_output MATCHES "Library soname: \\[libTessalyCabinet\\.so\\.${SOVERSION}\\]")
    message(FATAL_ERROR "unexpected SONAME:\n${last_output}")
  endif()

  # The staged tool runs against the staged library.
  run("${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${prefix}/${LIBDIR}" "${prefix}/bin/tcab" --version)
  if(NOT last_output MATCHES "^tcab .* ${VERSION}\n")
    message(FATAL_ERROR "tcab --version said: ${last_output}")
  endif()
  return()
endif()

if(STEP STREQUAL "Validators")
  run(desktop-file-validate "${prefix}/share/applications/${APP_ID}.desktop")
  if(NOT last_output STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate has remarks:\n${last_output}")
  endif()
  run(appstreamcli validate --no-net "${prefix}/share/metainfo/${APP_ID}.metainfo.xml")
  return()
endif()

if(STEP STREQUAL "MimeTypes")
  # A private data folder with only our definitions besides the system's.
  set(data "${STAGE}/xdg-data")
  set(files "${STAGE}/files")
  file(REMOVE_RECURSE "${data}" "${files}")
  file(COPY "${prefix}/share/mime/packages" DESTINATION "${data}/mime")
  run(update-mime-database "${data}/mime")
  file(WRITE "${files}/Atrium.dvf" "[HEADER]\r\nAtrium\r\nSite\r\n42.5\r\n-71.25\r\n0\r\n1\r\n3\r\n2\r\n")
  file(WRITE "${files}/renamed study" "\r\n[HEADER]\r\nAtrium\r\n")
  file(WRITE "${files}/notes.dvf.txt" "[HEADER] is how a study begins\n")
  run("${TCAB}" create "${files}/Atrium.dvp" "${files}/Atrium.dvf")
  set(env "XDG_DATA_HOME=${data}" "XDG_DATA_DIRS=/usr/share" "XDG_CURRENT_DESKTOP=GNOME")
  foreach(check
      "Atrium.dvf=application/x-halvex-daylight-study"
      "renamed study=application/x-halvex-daylight-study"
      "Atrium.dvp=application/x-halvex-daylight-package"
      "notes.dvf.txt=text/plain")
    string(REPLACE "=" ";" parts "${check}")
    list(GET parts 0 name)
    list(GET parts 1 type)
    run("${CMAKE_COMMAND}" -E env ${env} xdg-mime query filetype "${files}/${name}")
    string(STRIP "${last_output}" found)
    if(NOT found STREQUAL type)
      message(FATAL_ERROR "${name}: xdg-mime says '${found}', expected ${type}")
    endif()
  endforeach()
  return()
endif()

message(FATAL_ERROR "unknown STEP ${STEP}")
