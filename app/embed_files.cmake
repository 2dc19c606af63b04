# Turns files into byte blocks compiled into the program.
# cmake -DOUTPUT=x.cpp -DFILES="a.png;b.png" -P embed_files.cmake
set(body "")
set(rows "")
set(index 0)
foreach(file IN LISTS FILES)
    get_filename_component(name ${file} NAME)
    file(READ ${file} hex HEX)
    string(LENGTH "${hex}" length)
    math(EXPR size "${length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    " bytes "${bytes}")
    string(APPEND body "const std::uint8_t kFile${index}[${size}] = {\n    ${bytes}\n};\n")
    string(APPEND rows "    {\"${name}\", kFile${index}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from app/pictures by embed_files.cmake; do not edit.
#include \"app/carried_files.h\"

namespace quenlo::app {
namespace {
${body}
const CarriedFile kFiles[] = {
${rows}};
}  // namespace

std::span<const CarriedFile> carriedFiles() { return kFiles; }

}  // namespace quenlo::app
")
# Rewritten only when it changes, so that an unchanged picture set costs no rebuild.
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
