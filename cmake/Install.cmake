# Installs sci, the libraries with every header of their folders, the plug-in
# in a folder of its own, a CMake package with its version file, pkg-config
# files, the demo scene, the licence and the README.
include(CMakePackageConfigHelpers)

set_target_properties(orvhost scenecontainer PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(SceneContainerInfo PROPERTIES INSTALL_RPATH "$ORIGIN/${SCI_PLUGINDIR_TO_LIBDIR}")

install(TARGETS orvhost scenecontainer sceneimport EXPORT SceneContainerInfoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${SCI_INSTALL_INCLUDEDIR})
install(TARGETS SceneContainerInfo EXPORT SceneContainerInfoTargets
  LIBRARY DESTINATION ${SCI_INSTALL_PLUGINDIR}
  RUNTIME DESTINATION ${SCI_INSTALL_PLUGINDIR})
install(DIRECTORY host scene channel module DESTINATION ${SCI_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h" PATTERN "snapshot_format.h" EXCLUDE PATTERN "snapshot_bytes.h" EXCLUDE)  # the snapshot format's internals stay private

install(EXPORT SceneContainerInfoTargets NAMESPACE SceneContainerInfo::
  DESTINATION ${SCI_INSTALL_CMAKEDIR})
configure_package_config_file(cmake/SceneContainerInfoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SceneContainerInfoConfig.cmake
  INSTALL_DESTINATION ${SCI_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SceneContainerInfoConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SceneContainerInfoConfig.cmake
  ${PROJECT_BINARY_DIR}/SceneContainerInfoConfigVersion.cmake
  DESTINATION ${SCI_INSTALL_CMAKEDIR})

# sci_pkg_config(<target> <description> <requires> <extra libs>): a .pc file
# named after the library's output name.
function(sci_pkg_config target description requires libs)
  get_target_property(PC_NAME ${target} OUTPUT_NAME)
  set(PC_DESCRIPTION "${description}")
  set(PC_REQUIRES "${requires}")
  set(PC_LIBS "${libs}")
  configure_file(cmake/library.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${PC_NAME}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${PC_NAME}.pc DESTINATION ${SCI_INSTALL_PKGCONFIGDIR})
endfunction()
sci_pkg_config(orvhost "Host framework for channel plug-ins: channels, child kinds, project files, plug-in loader" "" "")
sci_pkg_config(scenecontainer "Scene container channel and its records" "sci-host" "")
sci_pkg_config(sceneimport "Fills a scene container from 3D files: glTF with its own reader, the rest through Assimp"
  "sci-scene assimp simdjson draco" "-lmeshoptimizer -pthread")

install(FILES LICENSE README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
