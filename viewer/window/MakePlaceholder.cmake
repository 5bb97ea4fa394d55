# Renders the picture the viewer shows at start-up while no study is open: one
# frame of the demonstration room, copied beside the program.
# Called with -DGENERATOR=<make-sample-study> -DWORK=<scratch folder> -DOUTPUT=<jpg>.
file(REMOVE_RECURSE "${WORK}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
          "${GENERATOR}" "${WORK}" --views 1 --dates 1 --times 1 --first-hour 13 --last-hour 13
          --colors rgb --size 960x600 --name "HALVEX Daystrand" --quiet
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make-sample-study could not render the start-up picture (${result})")
endif()
file(GLOB frames "${WORK}/*_rgb.jpg")
list(LENGTH frames count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one start-up frame in ${WORK}, found ${count}")
endif()
file(COPY_FILE "${frames}" "${OUTPUT}")
