# Writes a C++ source that holds the bytes of the file INPUT as the array
# velcor::output::detail::SYMBOL and its size SYMBOL##Size, so that a file the program needs at
# run time (a schema) is part of the program. Run as cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=...
# -P EmbedFile.cmake.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes a line.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}"
     "// Generated from ${name} by cmake/EmbedFile.cmake; not to be edited.\n"
     "#include <cstddef>\n\n"
     "namespace velcor::output::detail {\n"
     "extern const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
     "extern const std::size_t ${SYMBOL}Size = ${size};\n"
     "}  // namespace velcor::output::detail\n")
