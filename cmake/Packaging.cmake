# What `cmake --install` puts where, and the packages CPack makes from the same build:
#   Linux:   a Debian package of the console program with its manual page and the sample files;
#   Windows: a portable zip and an NSIS installer of both programs, the user guide, the README and
#            the samples.
# scripts/package.sh builds them all into build/packages/.
#
# Included before the programs' folders, so that BB_INSTALL_BINDIR is set for their install()
# lines.

if(WIN32)
    # One flat folder: the programs beside the user guide (which the dialog opens on F1 from its
    # own folder), the README and the samples.
    set(BB_INSTALL_BINDIR .)
    set(bb_docdir .)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${bb_docdir} RENAME README.txt)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.html DESTINATION ${bb_docdir}
            RENAME UserGuide.html)
else()
    include(GNUInstallDirs)
    set(BB_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
    set(bb_docdir ${CMAKE_INSTALL_DATADIR}/doc/bbook2tellurax)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/bbook2tellurax.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${bb_docdir})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/examples/serfil ${PROJECT_SOURCE_DIR}/examples/project.bfl
              ${PROJECT_SOURCE_DIR}/examples/project.gfl
        DESTINATION ${bb_docdir}/examples)

set(CPACK_PACKAGE_VENDOR "Blue Book To Tellurax")
set(CPACK_PACKAGE_CONTACT "Blue Book To Tellurax developers <bbook2tellurax@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts NGS Blue Book files into a TELLURAX input file")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
    set(CPACK_GENERATOR ZIP NSIS)
    set(CPACK_PACKAGE_NAME BBookToTellurax)
    set(CPACK_PACKAGE_FILE_NAME BBookToTellurax-${PROJECT_VERSION}-win64)
    set(CPACK_PACKAGE_INSTALL_DIRECTORY BBookToTellurax)
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY BBookToTellurax)
    # The Start-menu entry runs the dialog program; a second one opens the user guide, which is
    # written for surveyors (the README, for developers, stays in the folder).
    set(CPACK_PACKAGE_EXECUTABLES BBookToTellurax "Blue Book To Tellurax")
    set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
    set(CPACK_NSIS_MENU_LINKS UserGuide.html "Blue Book To Tellurax User Guide")
    set(CPACK_NSIS_DISPLAY_NAME "Blue Book To Tellurax ${PROJECT_VERSION}")
    set(CPACK_NSIS_PACKAGE_NAME "Blue Book To Tellurax")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    # A 64-bit installer, like the programs it carries (it then runs under a 64-bit-only Wine).
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/app.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/app/app.ico)
    set(CPACK_NSIS_INSTALLED_ICON_NAME BBookToTellurax.exe)
    set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)  # no licence text ships with the programs
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGE_NAME bbook2tellurax)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION science)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_PACKAGE_DESCRIPTION "bbook2tellurax reads the SERFIL file, the B-file (datum,
stations and conventional observations) and the G-file (GPS vectors and station positions)
of the NGS Blue Book and writes one ASCII input file for the TELLURAX survey-network
adjustment program.")
endif()

include(CPack)
