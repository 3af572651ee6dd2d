# vantorrel_embed(TARGET <lib> SYMBOL <name> FILE <path>)
# Turns a picture (or any file) kept in the repository into a C++ byte array at
# build time: `const unsigned char <name>[]` and `const unsigned int <name>Length`
# in namespace `embedded`. Declare them in a header under data/.
set(VANTORREL_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake)

function(vantorrel_embed)
  cmake_parse_arguments(ARG "" "TARGET;SYMBOL;FILE" "" ${ARGN})
  get_filename_component(input ${ARG_FILE} ABSOLUTE)
  set(output ${CMAKE_BINARY_DIR}/embedded/${ARG_SYMBOL}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${ARG_SYMBOL}
            -P ${VANTORREL_EMBED_SCRIPT}
    DEPENDS ${input} ${VANTORREL_EMBED_SCRIPT}
    COMMENT "Embedding ${ARG_FILE}"
    VERBATIM)
  target_sources(${ARG_TARGET} PRIVATE ${output})
endfunction()
