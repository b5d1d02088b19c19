# Where the install puts each part, relative to the prefix. Installed files
# point to each other only by relative paths, so an install (or a package)
# works under any prefix.
include(GNUInstallDirs)
set(SCI_INSTALL_PLUGINDIR "${CMAKE_INSTALL_LIBDIR}/SceneContainerInfo/plugins")
set(SCI_INSTALL_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/SceneContainerInfo")
set(SCI_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/SceneContainerInfo")
set(SCI_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/SceneContainerInfo")
set(SCI_INSTALL_PKGCONFIGDIR "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

# sci_relative_path(<var> <from> <to>): the path from one install folder to another.
function(sci_relative_path var from to)
  file(RELATIVE_PATH path "/${from}" "/${to}")
  set(${var} "${path}" PARENT_SCOPE)
endfunction()
sci_relative_path(SCI_BIN_TO_LIBDIR "${CMAKE_INSTALL_BINDIR}" "${CMAKE_INSTALL_LIBDIR}")
sci_relative_path(SCI_BIN_TO_PLUGINDIR "${CMAKE_INSTALL_BINDIR}" "${SCI_INSTALL_PLUGINDIR}")
sci_relative_path(SCI_BIN_TO_DATADIR "${CMAKE_INSTALL_BINDIR}" "${SCI_INSTALL_DATADIR}")
sci_relative_path(SCI_PLUGINDIR_TO_LIBDIR "${SCI_INSTALL_PLUGINDIR}" "${CMAKE_INSTALL_LIBDIR}")
sci_relative_path(SCI_PKGCONFIGDIR_TO_PREFIX "${SCI_INSTALL_PKGCONFIGDIR}" "")

# Installed programs find the libraries from bin; the libraries and the
# plug-in set their own (cmake/Install.cmake).
set(CMAKE_INSTALL_RPATH "$ORIGIN/${SCI_BIN_TO_LIBDIR}")
