# Builds the Windows ZIP into a folder of its own and checks that it holds
# what a Windows host needs:
#   cmake -DCPACK=... -DBUILD=... -DOUT=... -DFILES=path;... -P check_package.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CPACK} -G ZIP -B ${OUT} WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE failed OUTPUT_VARIABLE log
  ERROR_VARIABLE log)
file(GLOB zips ${OUT}/*.zip)
if(failed OR NOT zips)
  message(FATAL_ERROR "cpack -G ZIP failed in ${BUILD}:\n${log}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zips} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot list ${zips}")
endif()

set(missing "")
foreach(entry IN LISTS FILES)
  if(NOT listing MATCHES "/${entry}\n")
    string(APPEND missing "  ${entry}\n")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${zips} lacks:\n${missing}listing:\n${listing}")
endif()
message(STATUS "${zips} holds the DLLs, import libraries, headers, sci-win-check.exe and README.txt")
