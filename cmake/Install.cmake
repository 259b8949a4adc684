# `cmake --install`: the system layout that core/InstallLayout.h recognises.
#
#   bin/                      veldin, veldin-cli, veldin-publish, veldin-mkdisc
#   lib/veldin/               the module libraries (lib<Module>.so, installed by
#                             veldin_add_module), the message bus library, update
#   share/veldin/             templates, default.ston, demo/ images
#   share/veldin/help/        the help pages and their pictures (data/help)
#   share/applications, share/metainfo, share/mime/packages, share/icons/hicolor,
#   share/man/man1, share/bash-completion/completions
#
# The same tree works under /usr, under /opt/veldin or in any other prefix: the programs
# find the rest relative to their own folder.
set(VELDIN_INSTALL_MODULES lib/veldin)
set(VELDIN_INSTALL_DATA share/veldin)
set(VELDIN_APP_ID org.example.veldin)

install(TARGETS veldin veldin-cli veldin-publish veldin-mkdisc RUNTIME DESTINATION bin)
install(TARGETS update RUNTIME DESTINATION ${VELDIN_INSTALL_MODULES})
install(TARGETS veldin_bus LIBRARY DESTINATION ${VELDIN_INSTALL_MODULES})
# From bin/ the bus library is one folder over; beside the modules it is next door.
set_target_properties(veldin PROPERTIES INSTALL_RPATH "$ORIGIN/../${VELDIN_INSTALL_MODULES}")

install(FILES
  ${VELDIN_BIN_DIR}/W30.dat ${VELDIN_BIN_DIR}/S50.dat ${VELDIN_BIN_DIR}/S330.dat
  ${VELDIN_BIN_DIR}/S550.dat ${VELDIN_BIN_DIR}/W30S.dat ${VELDIN_BIN_DIR}/default.ston
  DESTINATION ${VELDIN_INSTALL_DATA})
install(DIRECTORY ${VELDIN_BIN_DIR}/demo DESTINATION ${VELDIN_INSTALL_DATA})

set(D ${PROJECT_SOURCE_DIR}/desktop)
install(FILES ${D}/${VELDIN_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${D}/${VELDIN_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${D}/veldin-mime.xml DESTINATION share/mime/packages RENAME veldin.xml)
install(FILES ${D}/veldin.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${D}/veldin-disk.svg DESTINATION share/icons/hicolor/scalable/mimetypes
        RENAME application-x-roland-disk-image.svg)
install(FILES ${D}/veldin-cli.bash-completion DESTINATION share/bash-completion/completions RENAME veldin-cli)
foreach(page veldin veldin-cli veldin-update veldin-publish veldin-mkdisc)
  install(FILES ${D}/man/${page}.1 DESTINATION share/man/man1)
endforeach()

# PNG icons of the usual sizes, drawn from the SVG at build time.
find_program(VELDIN_RSVG rsvg-convert REQUIRED)
set(VELDIN_ICON_PNGS)
foreach(size 16 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}/veldin.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
    COMMAND ${VELDIN_RSVG} -w ${size} -h ${size} ${D}/veldin.svg -o ${png}
    DEPENDS ${D}/veldin.svg
    COMMENT "Drawing the ${size}x${size} icon")
  list(APPEND VELDIN_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(veldin_icons ALL DEPENDS ${VELDIN_ICON_PNGS})
