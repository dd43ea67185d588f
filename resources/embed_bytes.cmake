# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P embed_bytes.cmake
# Writes a C++ source defining the bytes of INPUT as `SYMBOL_data` (followed by one NUL that is not
# counted) and their count as `SYMBOL_size`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# 16 bytes to a line.
string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern \"C\" const unsigned char ${SYMBOL}_data[] = {\n${bytes}0x00};\n"
  "extern \"C\" const std::size_t ${SYMBOL}_size = ${size};\n")
