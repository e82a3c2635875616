#include "svg_check.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace fuzz_support {
namespace {

constexpr std::string_view kProlog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kRoot = "<svg xmlns=\"http://www.w3.org/2000/svg\"";

// More than any element the tools write has, and more elements than they nest.
constexpr std::size_t kMostAttributes = 16;
constexpr std::size_t kMostDepth = 16;

// The length of the UTF-8 sequence that `text` begins with, decoded here rather than by the
// tools' own code, when it encodes a character that XML 1.0 allows; 0 otherwise.
std::size_t xmlCharacterLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead >= 0xF8 || text.size() < length) return 0;
  std::uint32_t codePoint = lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = codePoint << 6 | (next & 0x3Fu);
  }
  constexpr std::array<std::uint32_t, 5> kShortest{0, 0, 0x80, 0x800, 0x10000};
  const bool overlong = codePoint < kShortest[length];
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  const bool noCharacter = codePoint == 0xFFFE || codePoint == 0xFFFF || codePoint > 0x10FFFF;
  return overlong || surrogate || noCharacter ? 0 : length;
}

bool isNameByte(char c, bool first) {
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  return letter || (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':'));
}

// Reads the document one piece at a time; every method returns false at what is not XML.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) { open_.reserve(kMostDepth); }

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

  // One character of text or of an attribute value: an entity, or a character XML allows. A run
  // of printable ASCII, most of any picture, is taken whole.
  bool character(bool inAttribute) {
    if (const std::size_t plain = plainLength(inAttribute); plain > 0) {
      text_.remove_prefix(plain);
      return true;
    }
    const char c = text_[0];
    if (c == '<' || (inAttribute && c == '"')) return false;
    if (c == '&') return entity();
    const std::size_t length = xmlCharacterLength(text_);
    text_.remove_prefix(length);
    return length > 0;
  }

  std::size_t plainLength(bool inAttribute) const {
    std::size_t length = 0;
    for (const char c : text_) {
      if (c < 0x20 || c > 0x7E || c == '<' || c == '&' || (inAttribute && c == '"')) break;
      ++length;
    }
    return length;
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

  // A name, seen where it lies in the document.
  bool name(std::string_view& into) {
    std::size_t length = 0;
    while (length < text_.size() && isNameByte(text_[length], length == 0)) ++length;
    into = text_.substr(0, length);
    text_.remove_prefix(length);
    return length > 0;
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
    std::string_view element;
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
    std::array<std::string_view, kMostAttributes> attributes;
    std::size_t attributeCount = 0;
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
      std::string_view attribute;
      if (!spaced || !name(attribute) || !text_.starts_with("=\"")) return false;
      const auto seen = attributes.begin() + static_cast<std::ptrdiff_t>(attributeCount);
      if (std::find(attributes.begin(), seen, attribute) != seen) return false;
      if (attributeCount == kMostAttributes) return false;
      attributes[attributeCount++] = attribute;
      text_.remove_prefix(2);
      while (!text_.empty() && text_[0] != '"') {
        if (!character(true)) return false;
      }
      if (text_.empty()) return false;
      text_.remove_prefix(1);
    }
  }

  std::string_view text_;
  std::vector<std::string_view> open_;  // the names of the open elements, in the document
};

}  // namespace

bool isSvgDocument(std::string_view text) {
  return Reader(text).document();
}

}  // namespace fuzz_support
