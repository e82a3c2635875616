#include "walk.hpp"

#include "report.hpp"

namespace common {

void Walk::show() {
  for (Opened& scope : open_) {
    if (scope.shown) continue;
    scope.shown = true;
    printer_.open(*scope.scope, scope.number, scope.offset);
  }
  hidden_ = false;
}

std::string Walk::pointerOf(const Field& field) const {
  // A record not shown yet (a run before its control word is in) is named as a whole.
  for (std::size_t i = 0; i < open_.size(); ++i) {
    if (!open_[i].shown && open_[i].scope->kind == Scope::Kind::record) {
      return common::pointerOf(Place(path_).first(i + 1));
    }
  }
  if (inField_) return common::pointerOf(path_);
  std::vector<PathSegment> place = path_;
  place.push_back({field.key});
  return common::pointerOf(place);
}

void printCannotOpen(std::string_view path, std::string_view reason) {
  printLine("***ERROR cannot open ", path, ": ", reason);
}

void printFileEndsEarly(std::string_view path, std::uint64_t offset, std::string_view where) {
  printLine("***ERROR ", path, " ends at byte ", offset, " while reading ", where);
}

}  // namespace common
