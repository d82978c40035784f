# Installs the two programs with their menu entry, icons, metainfo, manual pages and Debian documents, and
# makes the Debian package (cpack, or tools/package).
include(GNUInstallDirs)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(appId io.github.tarvik.Tarvik)

install(TARGETS tarvik tarvik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/${appId}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${appId}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/tarvik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES ${packaging}/icons/tarvik-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tarvik.png)
endforeach()

# Manual pages and the changelog go compressed, as Debian keeps them.
set(compressed "")
foreach(document tarvik.1 tarvik-cli.1 changelog)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${document}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
        COMMAND gzip -9 -n -c ${packaging}/${document} > ${CMAKE_BINARY_DIR}/packaging/${document}.gz
        DEPENDS ${packaging}/${document} VERBATIM)
    list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/${document}.gz)
endforeach()
add_custom_target(tarvik_documents ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/tarvik.1.gz ${CMAKE_BINARY_DIR}/packaging/tarvik-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${packaging}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvik)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VENDOR "The Tarvik developers")
set(CPACK_PACKAGE_CONTACT "The Tarvik developers <tarvik@tarvik.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stock-taking for catering sites with a handheld barcode terminal")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Not linked, but needed: the report's "Courier New" is Liberation Mono, and Qt's own texts come in Portuguese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION "Tarvik loads a handheld barcode terminal with the site's articles, barcodes,
accounting families and counting units, collects the counted entries and
turns them into a valued inventory report by cost centre and accounting
family, on screen, on paper or as PDF. All data live in one Excel workbook.

This package holds the desktop program tarvik and the command-line tool
tarvik-cli.")
include(CPack)
