# The Windows icon, ${CMAKE_BINARY_DIR}/pelmora.ico, made from the PNGs of the hicolor theme
# (16, 32, 48 and 256 pixels) at build time; the target pelmora_ico makes it. Both the window
# program's resources and the installer use it: include this file wherever it is needed (the rule
# is defined once, by the first include) and depend on pelmora_ico, whose ICO property names the file.
set(PELMORA_ICO ${CMAKE_BINARY_DIR}/pelmora.ico)
if(NOT TARGET pelmora_ico)
    set(pelmora_ico_sources)
    foreach(size 16 32 48 256)
        list(APPEND pelmora_ico_sources ${PROJECT_SOURCE_DIR}/data/icons/hicolor/${size}x${size}/apps/pelmora.png)
    endforeach()
    add_custom_command(OUTPUT ${PELMORA_ICO}
        COMMAND /usr/bin/convert ${pelmora_ico_sources} ${PELMORA_ICO}
        DEPENDS ${pelmora_ico_sources}
        COMMENT "Making the Windows icon pelmora.ico"
        VERBATIM)
    add_custom_target(pelmora_ico DEPENDS ${PELMORA_ICO})
    set_target_properties(pelmora_ico PROPERTIES ICO ${PELMORA_ICO})
    unset(pelmora_ico_sources)
endif()
