# cmake --install: the programs under bin/; the desktop entry, the application icon and the
# AppStream metainfo under the freedesktop.org (XDG) paths, so that Tolvarin appears in the
# desktop's menu and software centre; the collection made from the shipped laws and the laws
# themselves under share/tolvarin/ (the system data folder the program looks in); the man
# pages and the user manual. The tools (tolvarin-admin, tolvarin-update, tolvarin-publish)
# install themselves from their own directories. `cpack -G DEB` packs the same into a .deb.
include(GNUInstallDirs)

option(TOLVARIN_COLLECTION "Make and install the collection of the shipped laws" ON)

if(TARGET tolvarin)
  install(TARGETS tolvarin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/res/tolvarin.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 22 24 32 48 64 128 256 512)
    install(FILES ${PROJECT_SOURCE_DIR}/res/images/app/hicolor/${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tolvarin.png)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/res/images/src/app/tolvarin.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/res/org.morvexal.tolvarin.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The manual the program shows (F1) from its resources, for the desktop's browser too.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/manual/
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/manual)
endif()

foreach(page tolvarin tolvarin-admin tolvarin-update tolvarin-publish)
  if(TARGET ${page})
    install(FILES ${PROJECT_SOURCE_DIR}/docs/man/${page}.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()

set(TOLVARIN_SHIPPED_LAWS ${PROJECT_SOURCE_DIR}/corpus/laws-zh.jsonl.xz)
install(FILES ${TOLVARIN_SHIPPED_LAWS} DESTINATION ${CMAKE_INSTALL_DATADIR}/tolvarin)
if(TOLVARIN_COLLECTION AND TARGET tolvarin-admin)
  # The collection installed for every user: read-only for them, so kept in rollback
  # journaling, which a reader opens without writing anything beside the file.
  set(collection ${CMAKE_BINARY_DIR}/share/tolvarin/db1.mdb)
  add_custom_command(
    OUTPUT ${collection}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/tolvarin
    COMMAND $<TARGET_FILE:tolvarin-admin> import ${TOLVARIN_SHIPPED_LAWS} --force
            --journal delete ${collection}
    DEPENDS tolvarin-admin ${TOLVARIN_SHIPPED_LAWS}
    COMMENT "Making the collection of the shipped laws"
    VERBATIM)
  add_custom_target(tolvarin_collection ALL DEPENDS ${collection})
  install(FILES ${collection} DESTINATION ${CMAKE_INSTALL_DATADIR}/tolvarin)
endif()

# A Debian package of the install: cpack -G DEB (in the build directory).
set(CPACK_PACKAGE_NAME tolvarin)
set(CPACK_PACKAGE_VENDOR "Morvexal")
set(CPACK_PACKAGE_CONTACT "Morvexal <service@morvexal.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browse, search, read and print a collection of laws")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Browse, search, read and print a collection of laws\n Tolvarin shows a collection of laws and regulations in one window: a category\n tree, the laws of a category and the text of a law, with search words\n highlighted. It searches by title, number, department, law text and date,\n prints laws and brings the collection up to date from the publisher's server.\n 1,557 Chinese laws come with it.")
include(CPack)
