# The window's own font: at build time a subset of the Ming face of fonts-arphic-uming holding every
# character found in the program's sources, under the family name "Pelmora Song", compiled into the
# resources of pelmora_qt as :/fonts/pelmora-song.ttf (registered at start-up by ui/qt/embedded_font.cpp).
# Included from src/CMakeLists.txt once pelmora_qt exists.

# Every source that may hold a text the windows draw: the texts, the layout tables and the windows,
# wherever they live. A new file is found at the next configure, a new character at the next build.
file(GLOB_RECURSE PELMORA_FONT_TEXT_SOURCES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp)

set(PELMORA_SONG_FAMILY "Pelmora Song")
find_file(PELMORA_SONG_SOURCE uming.ttc PATHS /usr/share/fonts/truetype/arphic NO_DEFAULT_PATH)
if(NOT PELMORA_SONG_SOURCE)
    message(FATAL_ERROR "uming.ttc not found: the window's font is made from fonts-arphic-uming (scripts/install-deps)")
endif()
# Debian's interpreter: a python3 earlier on PATH may lack Debian's modules.
find_program(PELMORA_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
execute_process(COMMAND ${PELMORA_PYTHON3} -c "import fontTools.subset"
    RESULT_VARIABLE pelmora_fonttools_missing OUTPUT_QUIET ERROR_QUIET)
if(NOT PELMORA_PYTHON3 OR pelmora_fonttools_missing)
    message(FATAL_ERROR "/usr/bin/python3 with fontTools is needed for the window's font (python3-fonttools, scripts/install-deps)")
endif()

set(PELMORA_SONG_FONT ${CMAKE_CURRENT_BINARY_DIR}/fonts/pelmora-song.ttf)
# The characters the font was made for, one line of UTF-8; the tests read it.
set(PELMORA_SONG_CHARS ${CMAKE_CURRENT_BINARY_DIR}/fonts/pelmora-song-chars.txt)
# The script leaves both files alone when the characters did not change; Ninja then rebuilds nothing after it.
add_custom_command(OUTPUT ${PELMORA_SONG_FONT} ${PELMORA_SONG_CHARS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/fonts
    COMMAND ${PELMORA_PYTHON3} ${PROJECT_SOURCE_DIR}/cmake/font_subset.py
        --font ${PELMORA_SONG_SOURCE} --face-number 0 --family ${PELMORA_SONG_FAMILY}
        --out ${PELMORA_SONG_FONT} --chars-out ${PELMORA_SONG_CHARS}
        ${PELMORA_FONT_TEXT_SOURCES}
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/font_subset.py ${PELMORA_SONG_SOURCE} ${PELMORA_FONT_TEXT_SOURCES}
    COMMENT "Making the window's font (a subset of ${PELMORA_SONG_SOURCE})"
    VERBATIM)

# Uncompressed: start-up hands the bytes to the font database as they lie in the program.
qt_add_resources(pelmora_qt pelmora_song_font
    PREFIX /fonts
    BASE ${CMAKE_CURRENT_BINARY_DIR}/fonts
    FILES ${PELMORA_SONG_FONT}
    OPTIONS -no-compress)
target_compile_definitions(pelmora_qt PRIVATE PELMORA_SONG_FAMILY="${PELMORA_SONG_FAMILY}")
set_property(TARGET pelmora_qt PROPERTY PELMORA_SONG_CHARS ${PELMORA_SONG_CHARS})

# The font's licence goes wherever the program goes; its copyright stanza is in data/copyright.
install(FILES ${PROJECT_SOURCE_DIR}/data/fonts/ARPHICPL.TXT DESTINATION ${CMAKE_INSTALL_DOCDIR})
