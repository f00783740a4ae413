# cmake -DSOURCE=... -DDESTINATION=... -P CopieSiAbsent.cmake
if(NOT EXISTS "${DESTINATION}")
    file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
