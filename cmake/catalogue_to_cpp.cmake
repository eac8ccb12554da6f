# Turns the string tables of a resource script into the native build's
# catalogue, so that both builds read the same texts.
# Usage: cmake -DRC_FILE=... -DOUT_FILE=... -P catalogue_to_cpp.cmake
file(STRINGS "${RC_FILE}" rc_lines ENCODING UTF-8)
set(language 0)
set(entries "")
foreach(line IN LISTS rc_lines)
  if(line MATCHES "^[ \t]*LANGUAGE[ \t]+0x([0-9A-Fa-f]+)[ \t]*,[ \t]*0x([0-9A-Fa-f]+)")
    math(EXPR language "0x${CMAKE_MATCH_1} + (0x${CMAKE_MATCH_2} << 10)")
  elseif(line MATCHES "^[ \t]*([0-9]+)[ \t]*,[ \t]*(\".*\")[ \t]*$")
    if(language EQUAL 0)
      message(FATAL_ERROR "${RC_FILE}: string ${CMAKE_MATCH_1} outside a LANGUAGE block")
    endif()
    string(APPEND entries "    {${language}, ${CMAKE_MATCH_1}, L${CMAKE_MATCH_2}},\n")
  endif()
endforeach()
if(entries STREQUAL "")
  message(FATAL_ERROR "${RC_FILE}: no strings found")
endif()
file(WRITE "${OUT_FILE}.tmp"
  "// Generated from ${RC_FILE}; do not edit.\n"
  "#include \"testing/native/sim_catalogue.h\"\n\n"
  "const SimCatalogueEntry SIM_CATALOGUE[] = {\n${entries}};\n"
  "const size_t SIM_CATALOGUE_SIZE = sizeof(SIM_CATALOGUE) / sizeof(SIM_CATALOGUE[0]);\n")
file(RENAME "${OUT_FILE}.tmp" "${OUT_FILE}")
