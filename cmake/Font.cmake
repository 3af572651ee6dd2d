# The game's text font is not kept in the repository: the build copies a
# freely licensed TrueType font from a Debian package (fonts-cabinsketch,
# SIL Open Font Licence 1.1) beside each executable as fonts/ under its own
# file name, CabinSketch-Bold.ttf. The game asks for the font name it always
# has (MarsNeedsCunnilingus.ttf, so a player's own font of that name still
# wins) and falls back to this one. Without the package nothing is copied
# and the game draws its text with the built-in glyph font instead.
set(VANTORREL_FONT_SOURCE /usr/share/fonts/truetype/cabinsketch/CabinSketch-Bold.ttf
  CACHE FILEPATH "TrueType font laid beside the game in fonts/")
# Must match OpenGLFont::shippedFontName.
set(VANTORREL_FONT_NAME CabinSketch-Bold.ttf)

if(EXISTS ${VANTORREL_FONT_SOURCE})
  set(VANTORREL_FONT_FOUND TRUE)
else()
  set(VANTORREL_FONT_FOUND FALSE)
  message(WARNING "Font ${VANTORREL_FONT_SOURCE} not found (Debian package fonts-cabinsketch); "
                  "the game will draw its text with the built-in glyph font.")
endif()

# Copies the font beside `target`'s executable after each build.
function(vantorrel_lay_font target)
  if(NOT VANTORREL_FONT_FOUND)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/fonts
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VANTORREL_FONT_SOURCE}
            $<TARGET_FILE_DIR:${target}>/fonts/${VANTORREL_FONT_NAME}
    VERBATIM)
endfunction()

# The font's copyright and licence (SIL OFL 1.1) travel with the copy that is
# installed.
set(VANTORREL_FONT_LICENCE /usr/share/doc/fonts-cabinsketch/copyright
  CACHE FILEPATH "Copyright and licence of the font laid beside the game")

if(VANTORREL_FONT_FOUND)
  install(FILES ${VANTORREL_FONT_SOURCE} DESTINATION ${VANTORREL_DATA_INSTALL_DIR}/fonts
          RENAME ${VANTORREL_FONT_NAME})
  if(EXISTS ${VANTORREL_FONT_LICENCE})
    install(FILES ${VANTORREL_FONT_LICENCE} DESTINATION ${VANTORREL_DATA_INSTALL_DIR}/fonts
            RENAME ${VANTORREL_FONT_NAME}.copyright)
  else()
    message(WARNING "The font's licence ${VANTORREL_FONT_LICENCE} was not found; the installed font goes without it.")
  endif()
endif()
