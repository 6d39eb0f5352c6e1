# The program's version, its installation with desktop integration, and the Debian package.
#   cmake --install <build> [--prefix DIR]       program, menu entry and icon
#   cpack --config <build>/CPackConfig.cmake     orvexdemo_<version>-1_<arch>.deb
include(GNUInstallDirs)

# --version prints the project version; the package carries the same one.
target_compile_definitions(orvex_app PRIVATE ORVEX_VERSION="${PROJECT_VERSION}")

install(TARGETS OrvexDemo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/orvexdemo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The window icon goes to the icon theme folder of its pixel size, read from the PNG header
# (width and height are the big-endian words at bytes 16 and 20).
set(ORVEX_ICON ${PROJECT_SOURCE_DIR}/app/images/icon.png)
if(EXISTS ${ORVEX_ICON})
  file(READ ${ORVEX_ICON} icon_header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${icon_header}" 0 8 icon_width)
  string(SUBSTRING "${icon_header}" 8 8 icon_height)
  math(EXPR icon_width "0x${icon_width}")
  math(EXPR icon_height "0x${icon_height}")
  install(FILES ${ORVEX_ICON}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${icon_width}x${icon_height}/apps
          RENAME orvexdemo.png)
else()
  message(WARNING "No ${ORVEX_ICON}: the program is installed without its icon")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvexdemo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvex")
set(CPACK_PACKAGE_CONTACT "Seed a661c51e maintainers <maintainers@users.noreply.c-seed-a661c51e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Orvex Real-Power-Control demonstration for UV lamps")
set(CPACK_PACKAGE_DESCRIPTION
    "Simulates one 6000 W UV lamp on magnetic control gear twice side by side, once without\n\
control and once with the Orvex Real-Power-Control that holds it at 6000 W, while the mains\n\
voltage is varied between 380 V and 420 V. Two live charts, an analogue meter, an LED-bar\n\
slider and a crosshair readout show the run.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 runtime libraries come from dpkg-shlibdeps; the fonts are loaded by name at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2 | fonts-dejavu-core")
include(CPack)
