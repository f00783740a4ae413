# Debian packages of the station, made by CPack from the build tree:
#   calvanet               the station, its password command, the translation
#                          tools, the demo's English base, the desktop entry
#   calvanet-banc-virtuel  the simulated card bus, the virtual label printer
#                          and their scenarios
# Debian layout: programs in /usr/bin, data in /usr/share/calvanet; the live
# password file is /etc/calvanet/operateurs.mdp, written at the installation
# by calvanet-motsdepasse, never by a package.
include(GNUInstallDirs)
set(CALVANET_PAQUETS ${CMAKE_CURRENT_LIST_DIR})
set(CALVANET_PAQUETS_GENERES ${CMAKE_BINARY_DIR}/packaging)

# Debian wants man pages and changelogs compressed with gzip -9n (no time stamp).
set(CALVANET_COMPRESSES)
foreach(source calvanet.1 calvanet-motsdepasse.1 calvanet-listemessages.1
               calvanet-convertitmdb.1 simulateur-cartes.1 imprimante-virtuelle.1 changelog)
    set(sortie ${CALVANET_PAQUETS_GENERES}/${source}.gz)
    add_custom_command(OUTPUT ${sortie}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CALVANET_PAQUETS_GENERES}
        COMMAND gzip -9nc ${CALVANET_PAQUETS}/${source} > ${sortie}
        DEPENDS ${CALVANET_PAQUETS}/${source}
        VERBATIM)
    list(APPEND CALVANET_COMPRESSES ${sortie})
endforeach()
add_custom_target(fichiers-paquets ALL DEPENDS ${CALVANET_COMPRESSES})

install(TARGETS calvanet calvanet-motsdepasse calvanet-listemessages calvanet-convertitmdb
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT calvanet)
install(FILES ${CMAKE_BINARY_DIR}/station/anglais.mdb
        DESTINATION ${CMAKE_INSTALL_DATADIR}/calvanet COMPONENT calvanet)
install(FILES ${CMAKE_SOURCE_DIR}/station/operateurs-demo.mdp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/calvanet/examples COMPONENT calvanet)
install(FILES ${CALVANET_PAQUETS}/calvanet.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT calvanet)
install(FILES ${CALVANET_PAQUETS}/calvanet.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT calvanet)
install(FILES ${CALVANET_PAQUETS_GENERES}/calvanet.1.gz
              ${CALVANET_PAQUETS_GENERES}/calvanet-motsdepasse.1.gz
              ${CALVANET_PAQUETS_GENERES}/calvanet-listemessages.1.gz
              ${CALVANET_PAQUETS_GENERES}/calvanet-convertitmdb.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT calvanet)

install(TARGETS simulateur-cartes imprimante-virtuelle
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT banc-virtuel)
install(FILES ${CALVANET_PAQUETS_GENERES}/simulateur-cartes.1.gz
              ${CALVANET_PAQUETS_GENERES}/imprimante-virtuelle.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT banc-virtuel)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/simulation/cartes/scenarios/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/calvanet/scenarios COMPONENT banc-virtuel
        FILES_MATCHING PATTERN "*.json")

foreach(composant calvanet banc-virtuel)
    if(composant STREQUAL "calvanet")
        set(paquet calvanet)
    else()
        set(paquet calvanet-${composant})
    endif()
    install(FILES ${CALVANET_PAQUETS}/copyright
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${paquet} COMPONENT ${composant})
    install(FILES ${CALVANET_PAQUETS_GENERES}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${paquet} COMPONENT ${composant}
            RENAME changelog.Debian.gz)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calvanet)
set(CPACK_PACKAGE_VENDOR "Calvanet")
set(CPACK_PACKAGE_CONTACT "Equipe Calvanet <calvanet@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL calvanet banc-virtuel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CALVANET_PACKAGE_NAME calvanet)
set(CPACK_DEBIAN_CALVANET_PACKAGE_SECTION electronics)
# Plugins that Qt loads at run time, which no library dependency names.
set(CPACK_DEBIAN_CALVANET_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_CALVANET_PACKAGE_SUGGESTS "calvanet-banc-virtuel")
set(CPACK_DEBIAN_CALVANET_PACKAGE_CONTROL_EXTRA
    ${CALVANET_PAQUETS}/calvanet/postinst ${CALVANET_PAQUETS}/calvanet/postrm)
# CPack indents the lines of the long description; an empty line parts paragraphs.
set(CPACK_COMPONENT_CALVANET_DESCRIPTION
    "bench station for the tray cards and rails of the Morvane 2 cabinet
Programs blank tray cards, tests cards, trays and rail benches over a framed
serial protocol, gives serial numbers kept in shared trace files, prints EPL2
barcode labels and can serve as a label print server for other stations.

The operators' passwords live in /etc/calvanet/operateurs.mdp, written with
calvanet-motsdepasse.")

set(CPACK_DEBIAN_BANC-VIRTUEL_PACKAGE_NAME calvanet-banc-virtuel)
set(CPACK_DEBIAN_BANC-VIRTUEL_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_BANC-VIRTUEL_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_COMPONENT_BANC-VIRTUEL_DESCRIPTION
    "virtual bench for the Calvanet station
A simulated bus of tray cards on a pseudo-terminal and a virtual EPL2 label
printer that draws every label it receives, with scenarios of cards, trays,
rail benches and cabinets: the station runs on them without hardware.")

include(CPack)

# What each package holds, checked on the built tree by installing each
# component into a scratch folder (cheap: no second build, no cpack).
add_test(NAME paquets_contenu
    COMMAND ${CMAKE_COMMAND} -DCONSTRUCTION=${CMAKE_BINARY_DIR}
            -DSOURCE=${CMAKE_SOURCE_DIR} -P ${CALVANET_PAQUETS}/VerifieContenu.cmake)
set_tests_properties(paquets_contenu PROPERTIES LABELS integration)

add_subdirectory(${CALVANET_PAQUETS}/captures ${CMAKE_BINARY_DIR}/captures)
