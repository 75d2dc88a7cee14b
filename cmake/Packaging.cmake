# What `cmake --install` puts where, and the packages CPack makes from the same build:
#   Linux:   a Debian package of the console program with its manual page, the user guide, a
#            short README for users and the sample files (clean for lintian);
#   Windows: a portable zip and an NSIS installer of both programs, the user guide, the short
#            README for users and the samples.
# scripts/package.sh builds them all into build/packages/.
#
# Included before the programs' folders, so that BB_INSTALL_BINDIR is set for their install()
# lines.

if(WIN32)
    # One flat folder: the programs beside the user guide (which the dialog opens on F1 from its
    # own folder), the short README for users and the samples.
    set(BB_INSTALL_BINDIR .)
    set(bb_docdir .)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/user-readme.txt DESTINATION ${bb_docdir}
            RENAME README.txt)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.html DESTINATION ${bb_docdir}
            RENAME UserGuide.html)
else()
    # As Debian's policy has it: the manual page and the changelog compressed with gzip -9n
    # (made in the build, so that any install or `cpack -G DEB` from the build takes them), a
    # machine-readable copyright file, and the documents of the package's users.
    include(GNUInstallDirs)
    set(BB_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
    set(bb_docdir ${CMAKE_INSTALL_DATADIR}/doc/bbook2tellurax)
    set(bb_compressed)
    foreach(source docs/bbook2tellurax.1 cmake/debian/changelog)
        get_filename_component(name ${source} NAME)
        set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
        add_custom_command(OUTPUT ${copy}.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${copy}
            COMMAND gzip -9nf ${copy}
            DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
        list(APPEND bb_compressed ${copy}.gz)
    endforeach()
    add_custom_target(bb_compressed_docs ALL DEPENDS ${bb_compressed})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/bbook2tellurax.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                  ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
                  ${PROJECT_SOURCE_DIR}/docs/user-guide.html
            DESTINATION ${bb_docdir})
    install(FILES ${PROJECT_SOURCE_DIR}/docs/user-readme.txt DESTINATION ${bb_docdir}
            RENAME README)
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
    # written for surveyors (the short README for users stays in the folder).
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
    # Lines of at most 80 characters, as lintian wants them.
    set(CPACK_PACKAGE_DESCRIPTION "bbook2tellurax reads the SERFIL file, the B-file (datum, stations
and conventional observations) and the G-file (GPS vectors and station
positions) of the NGS Blue Book and writes one ASCII input file for the
TELLURAX survey-network adjustment program.")
endif()

include(CPack)
