# Builds the Windows ZIP into a folder of its own, checks that it holds what a
# Windows host needs, unpacks it and runs the sci-win-check.exe it holds:
#   cmake -DCPACK=... -DBUILD=... -DOUT=... -DFILES=path;... -DEMULATOR=... -P check_package.cmake
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

# Unpacked on its own, the package's DLLs need nothing from the build.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zips} WORKING_DIRECTORY ${OUT})
file(GLOB_RECURSE check ${OUT}/*/bin/sci-win-check.exe)
execute_process(COMMAND ${EMULATOR} ${check} RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "${check} from the unpacked package failed (${failed}):\n${log}")
endif()
message(STATUS "${zips} holds the DLLs, import libraries, headers, sci-win-check.exe, README.txt and LICENSE; "
  "its sci-win-check.exe passes")
