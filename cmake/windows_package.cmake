# The Windows install and its ZIP (cpack -G ZIP in the cross build): the
# DLLs side by side in bin/, where Windows looks for a DLL's dependencies,
# their import libraries, the headers, sci-win-check.exe, a short README and
# the licence.
install(TARGETS orvhost scenecontainer SceneContainerInfo sci-win-check
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY host scene channel module DESTINATION ${SCI_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h" PATTERN "import" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/windows-README.txt DESTINATION . RENAME README.txt)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME SceneContainerInfo)
set(CPACK_SYSTEM_NAME win64)
include(CPack)
