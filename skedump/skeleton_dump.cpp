// skedump: the report of a skeleton file in each form, the file a document describes and the
// comparison of two files, all through the format's one walk (skeleton.hpp).

#include <string_view>

#include "common/dumper.hpp"
#include "run.hpp"
#include "skeleton.hpp"

namespace skedump {
namespace {

// The members that number the document's records.
constexpr std::string_view kNumbering[] = {kBone.numbering};
constexpr common::DumperFormat<Outcome> kFormat{
    {"ske", kNumbering}, kOutcomeNames, walkSkeleton, makeTextPrinter};

}  // namespace

constinit const common::Dumper kDumper = common::dumperOf<kFormat>();

}  // namespace skedump
