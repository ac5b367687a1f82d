# Install rules (cmake --install) and the Debian package (cpack -G DEB). Included from the
# top-level list file, so that CPack's configuration is written into the build folder itself.

include(GNUInstallDirs)

# The programs that are installed, each with its manual page packaging/man/<program>.1; those
# that open a window have a desktop entry, packaging/<desktop id>.desktop, as well. A new
# program is added to the first list, and to the second when it belongs in the desktop's menus.
set(TONAREL_INSTALLED_PROGRAMS TonarelUtil TonarelUtilDemo tonarel)
set(TONAREL_DESKTOP_ENTRIES org.tonarelutil.TonarelUtil org.tonarelutil.TonarelUtilDemo)
set(TONAREL_APPSTREAM_ID org.tonarelutil.TonarelUtil)

# The programs look for their help in <bin>/../share/doc/tonarelutil when it is not beside them
# (librarian/HelpDocuments.cpp); the folder is named after the package, which keeps its
# copyright and changelog there too.
set(TONAREL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tonarelutil)
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATAROOTDIR STREQUAL "share")
    message(WARNING "The installed programs look for their help in ../share/doc/tonarelutil from "
                    "their own folder; with these install folders they will not find it.")
endif()

# Directories as Debian expects them whatever the umask of whoever builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS ${TONAREL_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${TONAREL_HELP_DOCUMENTS} packaging/debian/copyright DESTINATION ${TONAREL_DOC_DIR})

foreach(entry IN LISTS TONAREL_DESKTOP_ENTRIES)
    install(FILES packaging/${entry}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
endforeach()

install(FILES packaging/${TONAREL_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

# The window icon at the theme's sizes, drawn by tools/ArtworkGenerator.cpp and committed.
install(DIRECTORY resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)

# Manual pages and the changelog are installed compressed, as Debian wants them; gzip -n leaves
# the time and name out, so the same sources give the same package.
find_program(TONAREL_GZIP gzip REQUIRED)
set(compressed_files)

foreach(program IN LISTS TONAREL_INSTALLED_PROGRAMS)
    configure_file(packaging/man/${program}.1 packaging/man/${program}.1 @ONLY)
    list(APPEND compressed_files ${CMAKE_CURRENT_BINARY_DIR}/packaging/man/${program}.1.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# A package whose version has no Debian revision is a native one, whose changelog is changelog.gz.
configure_file(packaging/debian/changelog packaging/changelog COPYONLY)
list(APPEND compressed_files ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${TONAREL_DOC_DIR})

foreach(compressed IN LISTS compressed_files)
    string(REGEX REPLACE "\\.gz$" "" plain ${compressed})
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${TONAREL_GZIP} -9 -n -k -f ${plain}
        DEPENDS ${plain}
        VERBATIM)
endforeach()
add_custom_target(tonarel-install-files ALL DEPENDS ${compressed_files})

# ---------------------------------------------------------------------------
# The Debian package: cpack -G DEB in the build folder writes tonarelutil_<version>_<arch>.deb.
set(TONAREL_PACKAGE_MAINTAINER "The TonarelUtil developers <maintainers@users.noreply.c-seed-795bf940.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME tonarelutil)
set(CPACK_PACKAGE_VENDOR "The TonarelUtil developers")
set(CPACK_PACKAGE_CONTACT "${TONAREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "preset librarian for the Tonarel vocal processor")
set(CPACK_PACKAGE_DESCRIPTION
    "TonarelUtil copies the presets of a Tonarel hardware vocal processor between
the device, connected over MIDI, and preset files on the computer. One window
shows the device's 99 preset slots beside the preset files of a folder, with
buttons to read presets into files and to send files into the device's slots.

TonarelUtilDemo is the same librarian on a simulated device loaded with 99
presets, for trying it without the hardware.")
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# JUCE opens the X libraries with dlopen, so dpkg-shlibdeps cannot see them, and finds its fonts
# through fontconfig's configuration file without linking fontconfig; without a font no text
# shows. The desktop's opener shows the help documents.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libx11-6, libxext6, libxcursor1, libxinerama1, libxrandr2, libxrender1, fontconfig-config, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

set(CPACK_GENERATOR DEB)
include(CPack)
