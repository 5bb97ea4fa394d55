# halvex_add_man_page(TARGET "what it is")
#
# A section 1 manual page made from the program's own --help and --version at
# build time, so the page never falls behind the program, installed with it.
find_program(HALVEX_HELP2MAN help2man REQUIRED)
find_program(HALVEX_GZIP gzip REQUIRED)

function(halvex_add_man_page target description)
  # A program built for another system cannot be asked for its help here.
  if(CMAKE_CROSSCOMPILING)
    return()
  endif()
  set(page "${PROJECT_BINARY_DIR}/man/man1/${target}.1")
  add_custom_command(OUTPUT "${page}.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/man/man1"
    # No display is needed to print help; sanitizer builds keep their leak
    # report out of the page.
    COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            "${HALVEX_HELP2MAN}" --no-info --section=1 "--name=${description}"
            "--output=${page}" "$<TARGET_FILE:${target}>"
    COMMAND "${HALVEX_GZIP}" -9nf "${page}"
    DEPENDS ${target}
    COMMENT "Writing the manual page of ${target}"
    VERBATIM)
  add_custom_target(${target}_man_page ALL DEPENDS "${page}.gz")
  install(FILES "${page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT Viewer)
endfunction()
