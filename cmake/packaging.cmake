# Release packages, made by scripts/package with CPack (cpack in a build folder):
#   the Windows build: Pindle-<version>-win-x64.zip with Pindle.exe, the sample memo.txt and the
#     Japanese guide readme.txt (code page 932, CR LF), and Pindle-<version>-win-x64.msi, the
#     per-user Windows Installer package of the same files (cmake/packaging-windows.cmake,
#     packaging/windows/pindle.wxs), both the same byte for byte from every build of one commit;
#   the Linux build with the Qt program: pindle_<version>_amd64.deb, with its AppStream
#     component, desktop entry, icons and manual pages.
# The version is the project's (0.01.0001); Debian sorts it as 0, 1, 1, as Windows reads it.
set(pindle_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_PACKAGE_NAME Pindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quick memo in the tray that prints telephone messages")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PINDLE_SOURCE_DIR ${PROJECT_SOURCE_DIR})

# The About window's contact and copyright texts, for the guides and the packages' records;
# the publisher is the copyright line's holder.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/info/author.h author REGEX "= u\"")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/info/author.h)
foreach(name MailAddress HomePage CopyrightLine)
  string(REGEX MATCH "k(Author)?${name} = u\"([^\"]*)\"" found "${author}")
  set(pindle_${name} "${CMAKE_MATCH_2}")
endforeach()
string(REGEX REPLACE "^Copyright \\(C\\) [0-9]+ " "" pindle_Publisher "${pindle_CopyrightLine}")
set(CPACK_PACKAGE_VENDOR "${pindle_Publisher}")

# The release's date, for the AppStream release history and the Debian changelog: the time of
# the commit (SOURCE_DATE_EPOCH, set by scripts/package; otherwise the last commit's).
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${PROJECT_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
  endif()
endif()
string(TIMESTAMP PINDLE_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP PINDLE_RELEASE_TIME "%a, %d %b %Y %H:%M:%S +0000" UTC)

if(WIN32 AND TARGET Pindle)
  # No link time in the PE header: two builds of one commit give the same Pindle.exe.
  if(MINGW)
    target_link_options(Pindle PRIVATE -Wl,--no-insert-timestamp)
  elseif(MSVC)
    target_link_options(Pindle PRIVATE /Brepro)
  endif()

  install(TARGETS Pindle RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/src/platform/win32/resources/memo.txt DESTINATION .)

  # readme.txt is converted to code page 932 with iconv (Linux, MSYS2); a build without iconv
  # (Visual Studio) leaves it out.
  find_program(PINDLE_ICONV iconv)
  if(PINDLE_ICONV)
    set(readme ${PROJECT_BINARY_DIR}/packaging/readme.txt)
    add_custom_command(OUTPUT ${readme}
      COMMAND ${CMAKE_COMMAND} -D SOURCE=${pindle_packaging}/windows/readme.txt.in
              -D DESTINATION=${readme} -D ICONV=${PINDLE_ICONV} -D PROJECT_VERSION=${PROJECT_VERSION}
              -D PINDLE_MAIL=${pindle_MailAddress} -D PINDLE_HOME_PAGE=${pindle_HomePage}
              -D PINDLE_COPYRIGHT=${pindle_CopyrightLine}
              -P ${PROJECT_SOURCE_DIR}/cmake/cp932-text.cmake
      DEPENDS ${pindle_packaging}/windows/readme.txt.in ${PROJECT_SOURCE_DIR}/cmake/cp932-text.cmake
              ${PROJECT_SOURCE_DIR}/src/info/author.h
      VERBATIM)
    add_custom_target(pindle_readme ALL DEPENDS ${readme})
    install(FILES ${readme} DESTINATION .)
  else()
    message(STATUS "iconv not found: the Windows package is made without readme.txt")
  endif()

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME Pindle-${PROJECT_VERSION}-win-x64)
  else()
    set(CPACK_PACKAGE_FILE_NAME Pindle-${PROJECT_VERSION}-win-x86)
  endif()
  # CPack stages the files; the zip and the MSI are written by our script (CPack's own ZIP
  # writer stores access and change times, its WIX generator needs the WiX Toolset on Windows).
  set(CPACK_GENERATOR External)
  set(CPACK_EXTERNAL_ENABLE_STAGING ON)
  set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/packaging-windows.cmake)
  # The MSI's records.  Its version is the project's three numbers (0.01.0001 gives 0.1.1), as
  # in the executable's version record (0,1,0,1).  The upgrade code is the same for every
  # version and never changes: a major upgrade finds the older version by it.
  string(REGEX REPLACE "^0*([0-9])" "\\1" minor "${PROJECT_VERSION_MINOR}")
  string(REGEX REPLACE "^0*([0-9])" "\\1" revision "${PROJECT_VERSION_PATCH}")
  set(CPACK_PINDLE_MSI_VERSION "${PROJECT_VERSION_MAJOR}.${minor}.${revision}")
  set(CPACK_PINDLE_MSI_UPGRADE_CODE 5C0B6E2A-3F4D-4B8E-9A71-2D6C8E4F1A93)
  set(CPACK_PINDLE_PUBLISHER "${pindle_Publisher}")
  set(CPACK_PINDLE_MAIL "${pindle_MailAddress}")
  set(CPACK_PINDLE_HOME_PAGE "${pindle_HomePage}")
  set(CPACK_PINDLE_PRODUCT_ICON ${PROJECT_SOURCE_DIR}/src/platform/win32/resources/product.ico)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(PINDLE_QT)
  include(GNUInstallDirs)
  set(doc ${CMAKE_INSTALL_DATADIR}/doc/pindle)
  install(TARGETS pindle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${pindle_packaging}/linux/pindle.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The product icon in the hicolor theme at every size a desktop asks for, and drawn as SVG
  # (scripts/make-icons.py).
  foreach(size 16 22 24 32 48 64 128)
    install(FILES ${pindle_packaging}/linux/icons/pindle-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME pindle.png)
  endforeach()
  install(FILES ${pindle_packaging}/linux/icons/pindle.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # The AppStream component that software centres list (its id never changes), the manual
  # pages in English and Japanese, the changelog and the copyright file, with the About
  # window's contact and the project's version and release date.
  set(PINDLE_APPSTREAM_ID org.example.pindle)
  set(PINDLE_MAIL ${pindle_MailAddress})
  set(PINDLE_HOME_PAGE ${pindle_HomePage})
  set(PINDLE_PUBLISHER ${pindle_Publisher})
  string(REGEX REPLACE "^Copyright \\(C\\) " "" PINDLE_COPYRIGHT "${pindle_CopyrightLine}")
  foreach(file pindle.1 pindle.ja.1 changelog copyright pindle.metainfo.xml)
    configure_file(${pindle_packaging}/linux/${file}.in ${PROJECT_BINARY_DIR}/packaging/${file} @ONLY)
  endforeach()
  install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright DESTINATION ${doc})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/pindle.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME ${PINDLE_APPSTREAM_ID}.metainfo.xml)

  # The manual pages and the changelog go compressed, without a time stamp (gzip -9n).
  find_program(PINDLE_GZIP gzip REQUIRED)
  set(gzipped)
  foreach(file pindle.1 pindle.ja.1 changelog)
    set(out ${PROJECT_BINARY_DIR}/packaging/${file}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND sh -c "${PINDLE_GZIP} -9nc \"$1\" >\"$2\"" gzip ${PROJECT_BINARY_DIR}/packaging/${file} ${out}
      DEPENDS ${PROJECT_BINARY_DIR}/packaging/${file} VERBATIM)
    list(APPEND gzipped ${out})
  endforeach()
  add_custom_target(pindle_linux_docs ALL DEPENDS ${gzipped})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/pindle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/pindle.ja.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1 RENAME pindle.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${doc})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_NAME pindle)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # pindle_<version>_<architecture>.deb
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${pindle_Publisher} <${pindle_MailAddress}>")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${pindle_HomePage})
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A small resident tray utility for Japanese office desktops: Alt+F1 calls up
a black quick-memo window with a clock, the weekday, a registered memo and a
free note, Alt+F3 edits the registered memo, and the note prints as a
telephone message through the system's print dialog.  The windows and the
printed page are in Japanese.")
  # The libraries' packages come from dpkg-shlibdeps; what is loaded at run time is
  # recommended by name, one entry a line: Qt's platform plugins (X11; Wayland) and a Japanese
  # font.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(recommends
      qt6-qpa-plugins
      qt6-wayland
      "fonts-ipafont-gothic | fonts-noto-cjk")
  list(JOIN recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
else()
  return()
endif()

include(CPack)
