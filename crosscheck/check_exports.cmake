# Checks a DLL's export and import tables with objdump -p:
#   cmake -DOBJDUMP=... -DDLL=... -P check_exports.cmake
# The plug-in exports InitDLL, GetType and the members, virtual table and type
# information of Importing::SceneContainerInfo, nothing else; the C and C++
# runtimes are linked in, so it needs no runtime DLL of the compiler.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

# Square brackets would stop CMake from splitting the lines into a list.
string(REGEX MATCH "Ordinal/Name Pointer[^\n]*\n([^\n]+\n)+" table "${dump}")
string(REGEX REPLACE "[][]" "" table "${table}")
string(REGEX MATCHALL "\t *[0-9]+ [^\n]+" entries "${table}")
set(exports "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^\t *[0-9]+ " "" name "${entry}")
  list(APPEND exports "${name}")
endforeach()

set(class "9Importing18SceneContainerInfo")
set(problems "")
foreach(name IN LISTS exports)
  if(NOT name MATCHES "^(InitDLL|GetType|_ZN${class}.+|_ZT[VIS]N${class}E)$")
    string(APPEND problems "  unexpected export: ${name}\n")
  endif()
endforeach()
foreach(required InitDLL GetType _ZTVN${class}E _ZTIN${class}E _ZN${class}11CallChannelEv)
  if(NOT required IN_LIST exports)
    string(APPEND problems "  missing export: ${required}\n")
  endif()
endforeach()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  if(import MATCHES "libstdc\\+\\+|libgcc|libwinpthread")
    string(APPEND problems "  imports a compiler runtime: ${import}\n")
  endif()
endforeach()

list(LENGTH exports count)
if(problems)
  message(FATAL_ERROR "${DLL}:\n${problems}")
endif()
message(STATUS "${DLL}: ${count} exports, all InitDLL, GetType or Importing::SceneContainerInfo; no runtime DLL imported")
