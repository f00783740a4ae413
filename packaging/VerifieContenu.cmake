# Installs each package's component of the build tree into a scratch folder
# and compares the files with the list the package must hold
# (contenu-<component>.txt, and every scenario of the card simulator for the
# virtual bench); checks the desktop entry with desktop-file-validate.
#   cmake -DCONSTRUCTION=<build folder> -DSOURCE=<source folder> -P VerifieContenu.cmake
set(echecs 0)
foreach(composant calvanet banc-virtuel)
    set(racine ${CONSTRUCTION}/paquets-contenu/${composant})
    file(REMOVE_RECURSE ${racine})
    execute_process(
        COMMAND ${CMAKE_COMMAND} --install ${CONSTRUCTION} --component ${composant}
                --prefix ${racine}/usr
        RESULT_VARIABLE code OUTPUT_QUIET)
    if(NOT code EQUAL 0)
        message(SEND_ERROR "installation du composant ${composant} : echec (${code})")
        continue()
    endif()
    file(GLOB_RECURSE installes LIST_DIRECTORIES false RELATIVE ${racine} ${racine}/*)
    list(SORT installes)
    file(STRINGS ${SOURCE}/packaging/contenu-${composant}.txt attendus)
    if(composant STREQUAL "banc-virtuel")
        file(GLOB scenarios RELATIVE ${SOURCE}/simulation/cartes/scenarios
             ${SOURCE}/simulation/cartes/scenarios/*.json)
        list(TRANSFORM scenarios PREPEND usr/share/calvanet/scenarios/)
        list(APPEND attendus ${scenarios})
    endif()
    list(SORT attendus)
    set(manquants ${attendus})
    list(REMOVE_ITEM manquants ${installes})
    set(enTrop ${installes})
    list(REMOVE_ITEM enTrop ${attendus})
    foreach(f IN LISTS manquants)
        message(SEND_ERROR "${composant} : il manque ${f}")
    endforeach()
    foreach(f IN LISTS enTrop)
        message(SEND_ERROR "${composant} : fichier inattendu ${f}")
    endforeach()
    list(LENGTH installes n)
    message(STATUS "${composant} : ${n} fichiers")
endforeach()

find_program(VALIDE desktop-file-validate)
if(VALIDE)
    execute_process(
        COMMAND ${VALIDE} ${CONSTRUCTION}/paquets-contenu/calvanet/usr/share/applications/calvanet.desktop
        RESULT_VARIABLE code OUTPUT_VARIABLE sortie ERROR_VARIABLE sortie)
    if(NOT code EQUAL 0 OR NOT sortie STREQUAL "")
        message(SEND_ERROR "calvanet.desktop refuse par desktop-file-validate : ${sortie}")
    endif()
endif()
