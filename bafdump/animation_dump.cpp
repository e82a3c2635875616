// bafdump: the report of an animation file in each form, the file a document describes and the
// comparison of two files, all through the format's one walk (animation.hpp).

#include <string_view>

#include "animation.hpp"
#include "common/dumper.hpp"
#include "run.hpp"

namespace bafdump {
namespace {

// The members that number the document's records.
constexpr std::string_view kNumbering[] = {kBone.numbering, kComponent.numbering};
constexpr common::DumperFormat<Outcome> kFormat{
    {"baf", kNumbering}, kOutcomeNames, walkAnimation, makeTextPrinter, drawAnimation};

}  // namespace

constinit const common::Dumper kDumper = common::dumperOf<kFormat>();

}  // namespace bafdump
