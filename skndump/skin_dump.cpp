// skndump: the report of a skin file in each form, the file a document describes and the
// comparison of two files, all through the format's one walk (skin.hpp).

#include <string_view>

#include "common/dumper.hpp"
#include "run.hpp"
#include "skin.hpp"

namespace skndump {
namespace {

// The members that number the document's records.
constexpr std::string_view kNumbering[] = {kVertex.numbering};
constexpr common::DumperFormat<Outcome> kFormat{
    {"skn", kNumbering}, kOutcomeNames, walkSkin, makeTextPrinter, drawSkin};

}  // namespace

constinit const common::Dumper kDumper = common::dumperOf<kFormat>();

}  // namespace skndump
