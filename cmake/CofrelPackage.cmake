# The installed program, for `cmake --install` and for the Debian package
# that scripts/package.sh makes with CPack: the executable in bin/, its
# files in share/cofrel/ (fundo.bmp, the help page and the empty tables in
# dados/, where the program finds them from ../share/cofrel), the menu
# entry, the icon, the AppStream metainfo, the manual page and the
# package's documents.
include(GNUInstallDirs)

set(COFREL_STAGE_DIR ${CMAKE_BINARY_DIR}/instalacao)
set(stage_share ${COFREL_STAGE_DIR}/share/cofrel)
set(stage_icons ${COFREL_STAGE_DIR}/icons)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

set(stage_tables ${stage_share}/dados/users.db ${stage_share}/dados/fin.DB ${stage_share}/dados/dfin.DB)
set(stage_files ${stage_share}/fundo.bmp ${stage_share}/Ajuda.html ${stage_tables}
                ${stage_icons}/hicolor/scalable/apps/cofrel.svg
                ${COFREL_STAGE_DIR}/changelog.Debian.gz ${COFREL_STAGE_DIR}/cofrel.1.gz)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND stage_files ${stage_icons}/hicolor/${size}x${size}/apps/cofrel.png)
endforeach()

# Made anew, never taken from the build's program folder: its dados/ may
# hold the users someone registered there.
add_custom_command(OUTPUT ${stage_files}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${COFREL_STAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:cofrel_make_assets> ${stage_share} ${PROJECT_SOURCE_DIR}/assets/Ajuda.html
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:cofrel_make_icons> ${stage_icons}
  COMMAND ${CMAKE_COMMAND} -E copy ${packaging}/changelog.Debian ${packaging}/cofrel.1 ${COFREL_STAGE_DIR}
  COMMAND gzip -9nf ${COFREL_STAGE_DIR}/changelog.Debian ${COFREL_STAGE_DIR}/cofrel.1
  DEPENDS cofrel_make_assets cofrel_make_icons ${PROJECT_SOURCE_DIR}/assets/Ajuda.html
          ${packaging}/changelog.Debian ${packaging}/cofrel.1
  COMMENT "Preparing the files of the installed program"
  VERBATIM)
add_custom_target(cofrel_installed_files ALL DEPENDS ${stage_files})

install(TARGETS cofrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${stage_share}/fundo.bmp ${stage_share}/Ajuda.html DESTINATION ${CMAKE_INSTALL_DATADIR}/cofrel)
install(FILES ${stage_tables} DESTINATION ${CMAKE_INSTALL_DATADIR}/cofrel/dados)
install(DIRECTORY ${stage_icons}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${packaging}/cofrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/br.com.velunor.cofrel.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME cofrel)
install(FILES ${COFREL_STAGE_DIR}/cofrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/copyright ${COFREL_STAGE_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/cofrel)

# CPack's DEB generator: it runs dpkg-shlibdeps over the executable for the
# libraries' packages, writes the md5sums and owns every file by root. The
# plugins Qt loads at run time are no link of the executable and are named
# here: the SQLite driver and the desktop's platform plugins.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cofrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Equipe Cofrel <cofrel@velunor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gerenciador de finanças pessoais")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Cofrel guarda as finanças pessoais de várias pessoas no mesmo computador,"
  "cada uma com o seu nome e a sua senha: extrato de créditos e débitos com o"
  "saldo até a data, gráfico das despesas por categoria, planejamento mensal"
  "de lançamentos que se repetem e cópia do extrato e do gráfico para a área"
  "de transferência. A interface é em português.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
# "MS Sans Serif" of the Wine fonts; without it the windows quietly take
# another sans-serif font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
include(CPack)
