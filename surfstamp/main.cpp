// surfstamp [OPTION]... FILE ID: sets every collision material id of a static model file (.sm)
// to ID, in place; the stamping itself is in stamp.cpp.

#include <string_view>

#include "common/command_line.hpp"
#include "run.hpp"

namespace {

constexpr common::Option kOptions[] = {
    {"--dry-run", "-n",
     "check the whole file and report what would change, without opening it for writing"},
    {"--json", "",
     "print the report as one JSON document: every chunk, and every id field with its offset, "
     "the id read and the id written"},
};

constexpr std::string_view kUsage =
    "***ERROR***  Please supply a file name and an integer:\n\t Useage:  surfstamp.exe "
    "filename.sm [matid to overwrite with]\n\n";

constexpr common::Tool kTool{
    .name = "surfstamp",
    .synopsis = "FILE.sm MATERIAL_ID",
    .description =
        "Sets both material id fields of every material record of every collision\n"
        "model chunk in a static model file (.sm) to MATERIAL_ID (0 to 65535, in\n"
        "decimal), in place. The whole file is checked before the first byte is\n"
        "written; nothing else in it changes.\n",
    .options = kOptions,
    .firstOperand = "file",
    .exitStatus =
        "  0  every id is stamped, or the file is left as it was for a reason the\n"
        "     report gives (not a model, no collision model, an id above 65535);\n"
        "     also the usage text, with fewer than two arguments\n"
        "  1  the id is not a number, the file cannot be opened or does not hold\n"
        "     together (the file is left as it was), or an option is unknown\n",
    .usage = kUsage,
    .operands = 2,
};

int runStamp(const common::CommandLine& line) {
  return surfstamp::run(line.operands[0], line.operands[1],
                        {line.has("--dry-run"), line.has("--json")});
}

}  // namespace

int main(int argc, char** argv) {
  return common::handleCommandLine(argc, argv, kTool, runStamp);
}
