# The Windows installer (cpack -G NSIS in the build folder): TonarelUtil-<version>-win64.exe.
# Included from the top-level list file instead of Packaging.cmake when building for Windows.
#
# Everything goes into one folder, by default C:\Program Files\TonarelUtil: the three programs,
# the help documents beside them (where the Help button and menu look first) and the licence.
# The Start menu gets the librarian and the demo; the uninstaller removes what was installed
# and leaves the preset files, in Documents\Tonarel Librarian Files, to their owner.

set(TONAREL_INSTALLED_PROGRAMS TonarelUtil TonarelUtilDemo tonarel)

# JUCE lists the icon as a resource of the applications, which only a macOS bundle uses; here it
# is inside the executables already.
set_target_properties(TonarelUtil TonarelUtilDemo PROPERTIES RESOURCE "")
install(TARGETS ${TONAREL_INSTALLED_PROGRAMS} RUNTIME DESTINATION .)
install(FILES ${TONAREL_HELP_DOCUMENTS} DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_PACKAGE_NAME TonarelUtil)
set(CPACK_PACKAGE_VENDOR "The TonarelUtil developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "preset librarian for the Tonarel vocal processor")
set(CPACK_PACKAGE_FILE_NAME TonarelUtil-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY TonarelUtil)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY TonarelUtil)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES TRUE)

# CPack's NSIS script makes a 32-bit installer unless told otherwise, and a 32-bit installer
# would put a 64-bit program under "Program Files (x86)" (and cannot start at all on a Wine
# without 32-bit support). Debian's nsis has the 64-bit stubs.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")

set(CPACK_NSIS_PACKAGE_NAME "TonarelUtil ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "TonarelUtil")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES TonarelUtil "TonarelUtil" TonarelUtilDemo "TonarelUtil Demo")
set(CPACK_NSIS_INSTALLED_ICON_NAME TonarelUtil.exe)
get_target_property(TONAREL_WINDOWS_ICON TonarelUtil JUCE_ICON_FILE)
set(CPACK_NSIS_MUI_ICON ${TONAREL_WINDOWS_ICON})
set(CPACK_NSIS_MUI_UNIICON ${TONAREL_WINDOWS_ICON})
# An older version is removed before a newer one goes in, so its files cannot linger.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

set(CPACK_GENERATOR NSIS)
include(CPack)
