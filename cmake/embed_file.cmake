# Writes a C++ source that defines the bytes of one file as an array and its
# size, for data built into the program. Run as a script:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DSYMBOL=name -DHEADER=declarations.h -P embed_file.cmake
# The header declares `extern const unsigned char SYMBOL[]` and `extern const int SYMBOLSize`.

file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}"
"// Generated at build time from ${name}.
#include \"${HEADER}\"

const unsigned char ${SYMBOL}[] = {
    ${bytes}
};
const int ${SYMBOL}Size = ${size};
")
