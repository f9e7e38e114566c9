# Writes a C++ source that holds the bytes of `input` as
#   extern const std::string_view <symbol>;
# so tests (and any platform without executable resources) get the exact bytes.
function(nimlo_embed_file input output symbol)
  file(READ ${input} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  file(SIZE ${input} size)
  set(content "#include <string_view>\nnamespace { const char data[] = {${bytes} 0}; }\nextern const std::string_view ${symbol};\nconst std::string_view ${symbol}(data, ${size});\n")
  file(CONFIGURE OUTPUT ${output} CONTENT "${content}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
endfunction()
