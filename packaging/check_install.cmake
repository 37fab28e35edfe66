# cmake -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -P check_install.cmake
# Installs the build into PREFIX and checks that every file a desktop install needs is there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(expected
  bin/kestrova bin/kestrova-cli bin/kestrova-sim bin/kestrova-fgbridge
  share/applications/${APP_ID}.desktop
  share/metainfo/${APP_ID}.metainfo.xml
  share/icons/hicolor/48x48/apps/${APP_ID}.png
  share/icons/hicolor/256x256/apps/${APP_ID}.png
  share/icons/hicolor/scalable/apps/${APP_ID}.svg
  share/man/man1/kestrova-cli.1 share/man/man1/kestrova-sim.1
  share/kestrova/flightgear-addon/addon-metadata.xml share/kestrova/flightgear-addon/addon-main.nas
  share/kestrova/flightgear-addon/addon-config.xml)
foreach(f ${expected})
  if(NOT EXISTS ${PREFIX}/${f})
    message(SEND_ERROR "not installed: ${f}")
  endif()
endforeach()
set(ENV{QT_QPA_PLATFORM} offscreen)
foreach(program kestrova kestrova-cli kestrova-sim kestrova-fgbridge)
  execute_process(COMMAND ${PREFIX}/bin/${program} --help RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "${program} --help exits with ${rc}")
  endif()
endforeach()
file(READ ${PREFIX}/share/icons/hicolor/48x48/apps/${APP_ID}.png header LIMIT 24 HEX)
# PNG signature, IHDR, then width and height 48 (0x30).
if(NOT header MATCHES "^89504e470d0a1a0a0000000d494844520000003000000030$")
  message(SEND_ERROR "the 48 px icon is not a 48x48 PNG: ${header}")
endif()
file(READ ${PREFIX}/share/icons/hicolor/scalable/apps/${APP_ID}.svg svg)
if(NOT svg MATCHES "<svg" OR NOT svg MATCHES "<path")
  message(SEND_ERROR "the scalable icon holds no vector drawing")
endif()
file(REMOVE_RECURSE ${PREFIX})
