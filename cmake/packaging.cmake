# The Debian package, made by CPack from the install rules:
#   cmake --build build && (cd build && cpack -G DEB)
# gives build/velko_<version>_<arch>.deb, installed under /usr.

install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velko)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velko
        RENAME copyright)

set(CPACK_PACKAGE_NAME velko)
set(CPACK_PACKAGE_VENDOR "The Velko developers")
set(CPACK_PACKAGE_CONTACT "The Velko developers <velko@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rich-text editor whose documents lock with a keyword")
set(CPACK_PACKAGE_DESCRIPTION
    "Velko writes rich text and locks it with a keyword: the RTF of the text,\n\
enciphered by the openssl tool and Base64-encoded, in a .srtf file that plain\n\
openssl can read back too. Plain documents are ordinary RTF files. It checks\n\
spelling as you type and comes with velko-cli, which locks, unlocks and\n\
converts documents from the command line.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/velko")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries the programs and the RC5 module link, as
# dpkg-shlibdeps finds them; then what they run or load at run time: the
# openssl tool and Qt's platform plugins (X11; Wayland sessions run it through
# XWayland unless qt6-wayland is installed).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "openssl, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us | hunspell-dictionary, xdg-utils")

include(CPack)
