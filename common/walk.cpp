#include "walk.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>

namespace common {

namespace {

// A JSON Pointer writes "~" as "~0" and "/" as "~1" within a key.
void appendSegment(std::string& pointer, std::string_view segment) {
  pointer += '/';
  for (const char c : segment) {
    if (c == '~') {
      pointer += "~0";
    } else if (c == '/') {
      pointer += "~1";
    } else {
      pointer += c;
    }
  }
}

}  // namespace

std::string pointerOf(Place place) {
  std::string pointer;
  for (const PathSegment& segment : place) {
    if (segment.key.empty()) {
      char digits[24];
      const char* end = std::to_chars(digits, digits + sizeof digits, segment.index).ptr;
      appendSegment(pointer, std::string_view(digits, static_cast<std::size_t>(end - digits)));
    } else {
      appendSegment(pointer, segment.key);
    }
  }
  return pointer;
}

std::size_t sizeOf(FieldType type) {
  switch (type) {
    case FieldType::i8:
    case FieldType::u8:
      return 1;
    case FieldType::u16:
    case FieldType::q15:
      return 2;
    case FieldType::i32:
    case FieldType::f32:
      return 4;
    case FieldType::name:
      break;
  }
  return 0;
}

std::int64_t StreamFieldReader::integer(FieldType type, Place) {
  const std::uint32_t bits = littleEndian(sizeOf(type));
  if (type == FieldType::i8) return static_cast<std::int8_t>(bits);
  if (type == FieldType::i32) return static_cast<std::int32_t>(bits);
  return bits;
}

float StreamFieldReader::real(Place) {
  return std::bit_cast<float>(littleEndian(4));
}

void StreamFieldReader::text(char* out, std::size_t count, Place) {
  fieldStart_ = offset_;
  const std::size_t got = read(out, count).value_or(0);
  offset_ += got;
  if (got != count) throw FileEndsEarly{std::string(out, got)};
}

StreamFieldReader::StreamFieldReader(ByteSource& in)
    : in_(in), buffer_(std::make_unique_for_overwrite<char[]>(kBufferBytes)) {}

std::optional<std::size_t> StreamFieldReader::read(char* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    if (begin_ == end_) {
      begin_ = 0;
      end_ = in_.read(buffer_.get(), kBufferBytes).value_or(0);
      if (end_ == 0) break;
    }
    const std::size_t piece = std::min(count - done, end_ - begin_);
    std::memcpy(out + done, buffer_.get() + begin_, piece);
    begin_ += piece;
    done += piece;
  }
  return done;
}

void StreamFieldReader::fill(std::size_t count) {
  if (end_ - begin_ >= count) return;
  std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  end_ += in_.read(buffer_.get() + end_, kBufferBytes - end_).value_or(0);
}

Unread StreamFieldReader::describeUnread() {
  // The first bytes are looked at where they wait: they are the first of the rest too.
  fill(kUnreadShown);
  const std::uint64_t size = in_.size();
  return {size > offset_ ? size - offset_ : 0,
          std::string(buffer_.get() + begin_, std::min(kUnreadShown, end_ - begin_)), this};
}

std::uint32_t StreamFieldReader::littleEndian(std::size_t size) {
  std::array<unsigned char, 4> raw{};
  text(reinterpret_cast<char*>(raw.data()), size, {});
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = (value << 8) | raw[i];
  return value;
}

std::string isNot(std::string_view what, std::int64_t value, std::int64_t expected) {
  return "the " + std::string(what) + " is " + std::to_string(value) + ", not " +
         std::to_string(expected);
}

std::string isAbove(std::string_view what, std::int64_t value, std::int64_t limit) {
  return "the " + std::string(what) + " " + std::to_string(value) + " is above " +
         std::to_string(limit);
}

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

}  // namespace common
