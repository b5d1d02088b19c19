# `cpack -G DEB` in any build folder: one Debian package installing under
# /usr whatever the build's own prefix, its library dependencies worked out
# by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME scenecontainerinfo)
set(CPACK_PACKAGE_VENDOR "The SceneContainerInfo authors")
set(CPACK_PACKAGE_CONTACT "The SceneContainerInfo authors <scenecontainerinfo@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scene query channel plug-in, its host framework, importer and the sci tool")
set(CPACK_PACKAGE_DESCRIPTION "A channel plug-in answering 69 queries about an imported 3D scene, with a small
host framework, a scene container library, an Assimp-based importer, their headers, CMake and pkg-config
files, and sci, a command-line host for any query on any 3D file.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by sci --view and sceneinfo.supported_extensions() at run time, so
# dpkg-shlibdeps does not see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmicrohttpd12, libassimp5")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The CMake package finds Assimp and the glTF reader's libraries for hosts built against it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libassimp-dev, libsimdjson-dev, libmeshoptimizer-dev, libdraco-dev, cmake, pkg-config")
include(CPack)
