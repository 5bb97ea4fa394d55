# halvex_add_test(NAME SOURCES ... LIBS ... [QT])
#
# One GoogleTest executable registered with CTest test by test. QT gives it a
# main() that creates a QApplication on the offscreen platform, for widget
# tests. Every test sees HALVEX_CORPUS_DIR (the shared corpus of real cabinets,
# which may be absent: tests skip then) and HALVEX_SOURCE_DIR.
include(GoogleTest)

set(HALVEX_CORPUS_DIR "${CMAKE_SOURCE_DIR}/../shared/corpus" CACHE PATH
    "Folder of real files written by other tools; tests skip when absent")

function(halvex_add_test name)
  cmake_parse_arguments(arg "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gmock)
  if(arg_QT)
    target_link_libraries(${name} PRIVATE halvex_test_qtmain Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    HALVEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    HALVEX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HALVEX_CORPUS_DIR=${HALVEX_CORPUS_DIR};HALVEX_BINARY_DIR=${CMAKE_BINARY_DIR}"
      TIMEOUT 600)
endfunction()
