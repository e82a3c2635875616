#include "json_check.hpp"

#include <cstddef>
#include <nlohmann/json.hpp>

namespace fuzz_support {
namespace {

// Follows the parse without building the document: a tree of every value would cost an
// allocation a value, in the sanitizers' allocator, and the check needs only the shape of the
// outermost object.
class ReportShape final : public nlohmann::json_sax<nlohmann::json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return open(true); }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(false); }
  bool end_array() override { return close(); }
  bool key(string_t& name) override {
    if (depth_ == 1) lastKey_ = name;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

  bool endsWithEnd() const { return rootIsObject_ && lastKey_ == "end"; }

 private:
  bool open(bool object) {
    if (depth_ == 0) rootIsObject_ = object;
    ++depth_;
    return true;
  }
  bool close() {
    --depth_;
    return true;
  }

  std::size_t depth_ = 0;
  bool rootIsObject_ = false;
  std::string lastKey_;
};

}  // namespace

bool isReportDocument(const std::string& text) {
  ReportShape shape;
  return nlohmann::json::sax_parse(text, &shape) && shape.endsWithEnd();
}

}  // namespace fuzz_support
