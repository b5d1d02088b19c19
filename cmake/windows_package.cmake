# The Windows ZIP (cpack -G ZIP in the cross build): the DLLs, their import
# libraries and headers from the install rules, sci-win-check.exe, a short
# README and the licence.
install(TARGETS sci-win-check RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/windows-README.txt DESTINATION . RENAME README.txt)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME SceneContainerInfo)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
include(CPack)
