# cmake --install: the programs under bin/, and the desktop entry and the application icon
# under the freedesktop.org (XDG) paths, so that Tolvarin appears in the desktop's menu.
include(GNUInstallDirs)

foreach(program tolvarin tolvarin-admin tolvarin-update)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET tolvarin)
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
