# Installs the library into a scratch prefix, then configures, builds and runs
# a separate project that finds it with find_package(TessalyCabinet).
include("${CMAKE_CURRENT_LIST_DIR}/../support/ScriptSupport.cmake")
halvex_require(BUILD_DIR SOURCE_DIR WORK_DIR GENERATOR CXX LIBDIR)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/scratch")

foreach(component Library Development)
  run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${WORK_DIR}/prefix" --component ${component})
endforeach()

# Only the library's own headers are offered: nothing of the codec inside it.
file(GLOB_RECURSE installed RELATIVE "${WORK_DIR}/prefix" "${WORK_DIR}/prefix/*")
foreach(file IN LISTS installed)
  if(file MATCHES "platform/cab/|platform/fcifdi/|basCabUtil")
    message(FATAL_ERROR "an inner header of the library is installed: ${file}")
  endif()
endforeach()
foreach(expected include/TessalyCabinet/cabinet/TessalyCabinet.h ${LIBDIR}/cmake/TessalyCabinet/TessalyCabinetConfig.cmake)
  if(NOT EXISTS "${WORK_DIR}/prefix/${expected}")
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()

run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
    "-DCMAKE_CXX_COMPILER=${CXX}"
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
    "-DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix")
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
run("${WORK_DIR}/build/consumer" "${WORK_DIR}/scratch")
if(NOT last_output MATCHES "consumer: ok")
  message(FATAL_ERROR "the consumer did not report success: ${last_output}")
endif()
message(STATUS "the installed package works: ${last_output}")
