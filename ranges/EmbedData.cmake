# cmake -DOUTPUT=FILE.cpp -DDATA_DIR=DIR -DFILES="a.tsv;b.tsv" -P EmbedData.cmake
#
# Writes the data files into a C++ source as byte arrays, so that the program
# carries the reference data in itself: nothing to find at run time, the same
# on every system and under every install prefix.  Bytes rather than string
# literals, so that no character of a file needs escaping and no compiler's
# limit on a literal's length applies.
set(text "// Made from the files in ranges/data by ranges/EmbedData.cmake at build time.\n")
string(APPEND text "#include \"ReferenceTexts.h\"\n\nnamespace {\n\n")
set(entries "")
set(index 0)
foreach(name IN LISTS FILES)
  file(READ "${DATA_DIR}/${name}" bytes HEX)
  string(LENGTH "${bytes}" hex_length)
  math(EXPR size "${hex_length} / 2")
  # Sixteen bytes a line keep the generated file readable in a diff.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
  string(APPEND text "const char kText${index}[] = {\n${bytes}0};\n\n")
  string(APPEND entries "    {\"${name}\", kText${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND text "}  // namespace\n\nconst ReferenceText g_aReferenceTexts[] = {\n${entries}};\n")
string(APPEND text "const size_t g_nReferenceTexts = sizeof g_aReferenceTexts / sizeof g_aReferenceTexts[0];\n")
# Written only when it changed, so that an unchanged tree compiles nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
