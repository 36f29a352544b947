# Installation and the Debian package.
#
# The program finds its manual "「ヌリモコ」説明書.pdf" in the folder of its executable, so the executable
# and the manual are installed together into <prefix>/lib/nurimoko; <prefix>/bin/nurimoko is a relative
# symbolic link to it (the program resolves the link to find its own folder). Undo steps and settings
# go to the user's data and configuration folders when that folder is not writable.
include(GNUInstallDirs)

set(NURIMOKO_INSTALL_APPDIR "lib/nurimoko" CACHE STRING "Folder, under the prefix, of the program and its manual")

if(TARGET nurimoko)
  install(TARGETS nurimoko RUNTIME DESTINATION ${NURIMOKO_INSTALL_APPDIR})

  file(RELATIVE_PATH link_target /root/${CMAKE_INSTALL_BINDIR} /root/${NURIMOKO_INSTALL_APPDIR}/nurimoko)
  set(link_dir ${CMAKE_BINARY_DIR}/packaging/bin)
  file(MAKE_DIRECTORY ${link_dir})
  file(CREATE_LINK ${link_target} ${link_dir}/nurimoko SYMBOLIC)
  install(FILES ${link_dir}/nurimoko DESTINATION ${CMAKE_INSTALL_BINDIR})

  install(FILES ${CMAKE_SOURCE_DIR}/packaging/nurimoko.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The paint-document type (application/x-nurimoko-painting), which the desktop entry opens.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/nurimoko-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME nurimoko.xml)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/nurimoko.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

if(TARGET nurimoko_manual)
  install(FILES ${NURIMOKO_MANUAL_PDF} DESTINATION ${NURIMOKO_INSTALL_APPDIR})
  # Also where documentation is looked for, as a link to the one copy.
  get_filename_component(manual_name ${NURIMOKO_MANUAL_PDF} NAME)
  file(RELATIVE_PATH doc_target /root/${CMAKE_INSTALL_DOCDIR} /root/${NURIMOKO_INSTALL_APPDIR}/${manual_name})
  set(doc_link_dir ${CMAKE_BINARY_DIR}/packaging/doc)
  file(MAKE_DIRECTORY ${doc_link_dir})
  file(CREATE_LINK ${doc_target} ${doc_link_dir}/${manual_name} SYMBOLIC)
  install(FILES ${doc_link_dir}/${manual_name} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

if(TARGET nurimoko-render)
  install(TARGETS nurimoko-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# cpack in the build folder makes nurimoko_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nurimoko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "painting program with thick, glossy paint")
set(CPACK_PACKAGE_DESCRIPTION
    "ヌリモコ is a painting program in which paint has body: every dab is made of particles that pile up\n\
into a surface, which is lit and composed over a background, so strokes look like thick, wet paint.\n\
It has fifteen brushes, seven ways of drawing a stroke, backgrounds, a grid, a colour palette,\n\
unlimited undo and a Japanese manual.")
set(CPACK_PACKAGE_CONTACT "ヌリモコ developers <nurimoko@localhost>" CACHE STRING "Maintainer of the package")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 libraries, libc and libstdc++ are read from the binaries (Qt's xcb platform plugin is part of
# libqt6gui6 on Debian 12); the manual and the Japanese interface need the CJK fonts, and the system
# dialogs (file, colour, standard buttons) take their Japanese texts from Qt's translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n")
# The package scripts register the paint-document type and the desktop entry with these when present;
# without a desktop session xdg-mime reads the registered types only through libfile-mimeinfo-perl.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, shared-mime-info, desktop-file-utils, libfile-mimeinfo-perl")

set(NURIMOKO_INSTALL_APPDIR_FULL ${CPACK_PACKAGING_INSTALL_PREFIX}/${NURIMOKO_INSTALL_APPDIR})
set(NURIMOKO_DATADIR_FULL ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR})
foreach(script postinst prerm postrm)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${script}.in ${CMAKE_BINARY_DIR}/packaging/debian/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                  WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/debian/postinst
                                       ${CMAKE_BINARY_DIR}/packaging/debian/prerm
                                       ${CMAKE_BINARY_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
