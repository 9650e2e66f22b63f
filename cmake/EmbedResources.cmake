# cmake -DINPUT=archive -DOUTPUT=source.cpp -P EmbedResources.cmake
# Writes the source of BuiltInResources (resources/BuiltInResources.h) that
# holds the archive's bytes.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size EQUAL 0)
  message(FATAL_ERROR "The resource archive ${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Twelve bytes a line.
string(REPEAT "0x[0-9a-f][0-9a-f]," 12 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT} "// Made by cmake/EmbedResources.cmake from the packed resource archive.
#include \"resources/BuiltInResources.h\"

namespace {

const std::uint8_t archive[${size}] = {
    ${bytes}
};

} // namespace

const std::uint8_t* BuiltInResources::data() {
    return archive;
}

std::uint32_t BuiltInResources::size() {
    return sizeof archive;
}
")
