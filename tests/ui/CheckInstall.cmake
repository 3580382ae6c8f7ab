# Installs the build into a scratch prefix and checks what the desktop needs of it: the
# programs, the desktop entry naming an installed program and icon, the icon in every size.
# The installed programs named in ANSWERING must answer --version and --help.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DPROGRAMS=a;b -DANSWERING=a -DWITH_DESKTOP=ON
#         -DVERSION=1.0.0 -P CheckInstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(missing "")
foreach(program ${PROGRAMS})
  if(NOT EXISTS "${PREFIX}/bin/${program}")
    list(APPEND missing "bin/${program}")
  endif()
endforeach()

if(WITH_DESKTOP)
  set(entry "${PREFIX}/share/applications/tolvarin.desktop")
  if(NOT EXISTS "${entry}")
    message(FATAL_ERROR "no desktop entry at ${entry}")
  endif()
  file(STRINGS "${entry}" exec REGEX "^Exec=")
  file(STRINGS "${entry}" icon REGEX "^Icon=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec}")
  string(REGEX REPLACE "^Icon=" "" icon "${icon}")
  if(NOT EXISTS "${PREFIX}/bin/${exec}")
    list(APPEND missing "bin/${exec} (the desktop entry's Exec)")
  endif()
  foreach(size 16 22 24 32 48 64 128 256 512)
    if(NOT EXISTS "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${icon}.png")
      list(APPEND missing "share/icons/hicolor/${size}x${size}/apps/${icon}.png")
    endif()
  endforeach()
  if(NOT EXISTS "${PREFIX}/share/icons/hicolor/scalable/apps/${icon}.svg")
    list(APPEND missing "share/icons/hicolor/scalable/apps/${icon}.svg")
  endif()
endif()

foreach(program ${ANSWERING})
  foreach(option --version --help)
    execute_process(COMMAND "${PREFIX}/bin/${program}" ${option} RESULT_VARIABLE rc
                    OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
    if(NOT rc EQUAL 0)
      list(APPEND missing "${program} ${option} (exit ${rc}: ${err})")
    elseif(option STREQUAL "--version" AND NOT out MATCHES "${VERSION}")
      list(APPEND missing "${program} --version naming ${VERSION} (said: ${out})")
    elseif(option STREQUAL "--help" AND NOT out MATCHES "Usage")
      list(APPEND missing "${program} --help with its usage (said: ${out})")
    endif()
  endforeach()
endforeach()

if(missing)
  string(REPLACE ";" "\n  " missing "${missing}")
  message(FATAL_ERROR "install check failed:\n  ${missing}")
endif()
