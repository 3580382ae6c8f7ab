# cmake --install: the program under bin/, and the desktop entry and the application icon
# under the freedesktop.org (XDG) paths, so that Tolvarin appears in the desktop's menu.
# The tools (tolvarin-admin, tolvarin-update, tolvarin-publish) install themselves from their
# own directories.
include(GNUInstallDirs)

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
endif()
