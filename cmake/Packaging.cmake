# The program's version, its installation with desktop integration, and the Debian package.
#   cmake --install <build> [--prefix DIR]       program, menu entry, icon, manual page, metadata
#   cpack --config <build>/CPackConfig.cmake     orvexdemo_<version>-1_<arch>.deb
include(GNUInstallDirs)

# --version prints the project version; the package carries the same one.
target_compile_definitions(orvex_app PRIVATE ORVEX_VERSION="${PROJECT_VERSION}")

# Installed folders are world-readable whatever the umask of the one who builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(ORVEX_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(ORVEX_PACKAGE_RELEASE 1)
# AppStream component id: reverse domain name of the maintainers' address.
set(ORVEX_APPSTREAM_ID example.c_seed_a661c51e.orvexdemo)

# The installed program resolves all its library symbols at start and keeps its relocations
# read-only afterwards, as Debian's programs do.
target_link_options(OrvexDemo PRIVATE LINKER:-z,relro LINKER:-z,now)
install(TARGETS OrvexDemo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ORVEX_PACKAGING}/orvexdemo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Width and height of a PNG picture: the big-endian words at bytes 16 and 20 of its header.
function(orvex_png_size file out_width out_height)
  file(READ ${file} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 width)
  string(SUBSTRING "${header}" 8 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  set(${out_width} ${width} PARENT_SCOPE)
  set(${out_height} ${height} PARENT_SCOPE)
endfunction()

# The window icon goes to the icon theme folder of its pixel size.
set(ORVEX_ICON ${PROJECT_SOURCE_DIR}/app/images/icon.png)
if(EXISTS ${ORVEX_ICON})
  orvex_png_size(${ORVEX_ICON} icon_width icon_height)
  install(FILES ${ORVEX_ICON}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${icon_width}x${icon_height}/apps
          RENAME orvexdemo.png)
else()
  message(WARNING "No ${ORVEX_ICON}: the program is installed without its icon")
endif()

# The Debian changelog names the package version and the date of the release; its newest entry
# must be the version built here (checked when the package is made, so that a version change
# does not stop the ordinary builds).
file(STRINGS ${ORVEX_PACKAGING}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
string(REGEX MATCH "^orvexdemo \\(([^)]+)\\)" _ "${changelog_head}")
set(ORVEX_CHANGELOG_VERSION "${CMAKE_MATCH_1}")
set(ORVEX_DEBIAN_VERSION "${PROJECT_VERSION}-${ORVEX_PACKAGE_RELEASE}")
set(ORVEX_RELEASE_DATE "")
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(day ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_3})
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1")
    if(month LESS 10)
      set(month 0${month})
    endif()
    string(LENGTH "${day}" day_digits)
    if(day_digits EQUAL 1)
      set(day 0${day})
    endif()
    set(ORVEX_RELEASE_DATE "${year}-${month}-${day}")
    break()
  endif()
endforeach()
if(NOT ORVEX_CHANGELOG_VERSION STREQUAL ORVEX_DEBIAN_VERSION OR NOT ORVEX_RELEASE_DATE)
  set(CPACK_ORVEX_CHANGELOG_ERROR
      "packaging/changelog: the newest entry is '${ORVEX_CHANGELOG_VERSION}' (date '${ORVEX_RELEASE_DATE}'); add an entry for ${ORVEX_DEBIAN_VERSION} with its maintainer line")
  message(WARNING "${CPACK_ORVEX_CHANGELOG_ERROR}")
endif()

# Files made by the build for the installation: the compressed changelog, the manual page and the
# AppStream metadata with the version, date and screenshot size filled in.
set(ORVEX_GENERATED ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${ORVEX_GENERATED})
set(ORVEX_SCREENSHOT ${PROJECT_SOURCE_DIR}/docs/screenshot.png)
orvex_png_size(${ORVEX_SCREENSHOT} ORVEX_SCREENSHOT_WIDTH ORVEX_SCREENSHOT_HEIGHT)
configure_file(${ORVEX_PACKAGING}/orvexdemo.metainfo.xml.in
               ${ORVEX_GENERATED}/${ORVEX_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${ORVEX_GENERATED}/${ORVEX_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

find_program(ORVEX_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${ORVEX_GENERATED}/changelog.Debian.gz
  COMMAND sh -c "${ORVEX_GZIP} -9n < '${ORVEX_PACKAGING}/changelog' > changelog.Debian.gz"
  WORKING_DIRECTORY ${ORVEX_GENERATED}
  DEPENDS ${ORVEX_PACKAGING}/changelog
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
set(ORVEX_DOCS ${ORVEX_GENERATED}/changelog.Debian.gz)
install(FILES ${ORVEX_GENERATED}/changelog.Debian.gz ${ORVEX_PACKAGING}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvexdemo)
# The package is not uploaded to Debian, so its first changelog entry closes no bug that asks
# for it; lintian is told so.
install(FILES ${ORVEX_PACKAGING}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orvexdemo)

# The manual page is made from the built program's --help and --version, so that it always says
# what the program does; help2man turns the usage, the option list and the notes into sections.
find_program(ORVEX_HELP2MAN help2man)
if(ORVEX_HELP2MAN)
  add_custom_command(
    OUTPUT ${ORVEX_GENERATED}/OrvexDemo.1.gz
    COMMAND ${ORVEX_HELP2MAN} --no-info --section=1
            "--name=demonstration of the Orvex Real-Power-Control for UV lamps"
            --output=OrvexDemo.1 $<TARGET_FILE:OrvexDemo>
    COMMAND ${ORVEX_GZIP} -9nf OrvexDemo.1
    WORKING_DIRECTORY ${ORVEX_GENERATED}
    DEPENDS OrvexDemo
    COMMENT "Making the manual page OrvexDemo(1) from OrvexDemo --help"
    VERBATIM)
  list(APPEND ORVEX_DOCS ${ORVEX_GENERATED}/OrvexDemo.1.gz)
  install(FILES ${ORVEX_GENERATED}/OrvexDemo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "No help2man: the program is installed without its manual page")
endif()
add_custom_target(orvex_docs ALL DEPENDS ${ORVEX_DOCS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvexdemo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvex")
set(CPACK_PACKAGE_CONTACT "Seed a661c51e maintainers <maintainers@users.noreply.c-seed-a661c51e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Orvex Real-Power-Control demonstration for UV lamps")
# Debian shows the long description as it stands: lines of at most 72 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Simulates one 6000 W UV lamp on magnetic control gear twice side by\n\
side, once without control and once with the Orvex Real-Power-Control\n\
that holds it at 6000 W, while the mains voltage is varied between\n\
380 V and 420 V. Two live charts, an analogue meter, an LED-bar slider\n\
and a crosshair readout show the run.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ORVEX_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 runtime libraries come from dpkg-shlibdeps; the fonts are loaded by name at run time.
# Qt's Wayland platform lets the program run natively in a Wayland session.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageCheck.cmake)
include(CPack)
