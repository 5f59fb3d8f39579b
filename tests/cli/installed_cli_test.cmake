# Installs the build into a folder of its own and runs the installed velmora-cli on a job that
# writes PDFs and a workbook: the program must find its engine and its module of Qt parts where
# the installation put them. Called with -DBUILD=<build folder> -DPREFIX=<scratch folder>
# -DSAMPLE=<picture>.
file(REMOVE_RECURSE "${PREFIX}")
file(MAKE_DIRECTORY "$ENV{HOME}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}/usr"
                OUTPUT_QUIET RESULT_VARIABLE installed)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
execute_process(COMMAND "${PREFIX}/usr/bin/velmora-cli" "${SAMPLE}" --width 30 --formats xlsx,pdf --out "${PREFIX}/out"
                RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed velmora-cli failed (${status}): ${errors}")
endif()
foreach(file chart.pdf legend.pdf scheme.xlsx)
  if(NOT EXISTS "${PREFIX}/out/${file}")
    message(FATAL_ERROR "the installed velmora-cli did not write ${file}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
