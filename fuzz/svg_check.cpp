#include "svg_check.hpp"

#include <string>
#include <vector>

#include "common/utf8.hpp"

namespace fuzz_support {
namespace {

constexpr std::string_view kProlog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kRoot = "<svg xmlns=\"http://www.w3.org/2000/svg\"";

bool isNameByte(char c, bool first) {
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  return letter || (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':'));
}

// Reads the document one piece at a time; every method returns false at what is not XML.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool document() {
    if (!text_.starts_with(kProlog)) return false;
    text_.remove_prefix(kProlog.size());
    if (!text_.starts_with(kRoot)) return false;
    while (!text_.empty()) {
      if (text_[0] == '<') {
        if (!tag()) return false;
        if (open_.empty()) return allWhitespace(text_.substr(0));
      } else if (open_.empty() || !character(false)) {
        return false;
      }
    }
    return false;  // the root never closed
  }

 private:
  static bool allWhitespace(std::string_view rest) {
    return rest.find_first_not_of(" \t\r\n") == std::string_view::npos;
  }

  // One character of text or of an attribute value: an entity, or a character XML allows.
  bool character(bool inAttribute) {
    const char c = text_[0];
    if (c == '<' || (inAttribute && c == '"')) return false;
    if (c == '&') return entity();
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
    const std::size_t length = common::validUtf8Length(text_);
    if (length == 0) return false;
    const std::string_view sequence = text_.substr(0, length);
    if (sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF") return false;
    text_.remove_prefix(length);
    return true;
  }

  bool entity() {
    for (const std::string_view known : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
      if (text_.starts_with(known)) {
        text_.remove_prefix(known.size());
        return true;
      }
    }
    return false;  // the tools write no character references
  }

  bool name(std::string& into) {
    into.clear();
    while (!text_.empty() && isNameByte(text_[0], into.empty())) {
      into += text_[0];
      text_.remove_prefix(1);
    }
    return !into.empty();
  }

  bool skipSpace() {
    const std::size_t spaces = text_.find_first_not_of(" \t\r\n");
    if (spaces == std::string_view::npos) return false;
    text_.remove_prefix(spaces);
    return true;
  }

  // A start tag with its attributes, an empty-element tag or an end tag.
  bool tag() {
    text_.remove_prefix(1);
    std::string element;
    if (text_.starts_with("/")) {
      text_.remove_prefix(1);
      if (!name(element) || open_.empty() || open_.back() != element || !text_.starts_with(">")) {
        return false;
      }
      open_.pop_back();
      text_.remove_prefix(1);
      return true;
    }
    if (!name(element)) return false;
    std::vector<std::string> attributes;
    while (true) {
      const bool spaced = !text_.empty() && text_[0] == ' ';
      if (!skipSpace()) return false;
      if (text_.starts_with("/>")) {
        text_.remove_prefix(2);
        return !open_.empty();  // the root is never empty
      }
      if (text_.starts_with(">")) {
        text_.remove_prefix(1);
        open_.push_back(element);
        return true;
      }
      std::string attribute;
      if (!spaced || !name(attribute) || !text_.starts_with("=\"")) return false;
      for (const std::string& seen : attributes) {
        if (seen == attribute) return false;
      }
      attributes.push_back(attribute);
      text_.remove_prefix(2);
      while (!text_.empty() && text_[0] != '"') {
        if (!character(true)) return false;
      }
      if (text_.empty()) return false;
      text_.remove_prefix(1);
    }
  }

  std::string_view text_;
  std::vector<std::string> open_;
};

}  // namespace

bool isSvgDocument(std::string_view text) {
  return Reader(text).document();
}

}  // namespace fuzz_support
