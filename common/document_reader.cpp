// The way through a document read back: each field is looked for at the place the walk's scopes
// give, what no field accounts for is skipped where it describes the old file's layout and
// refused anywhere else, and the document's "end" says whether a missing field is a file that
// ends there. Also the commands that read a document into a file.

#include "document_reader.hpp"

#include <optional>

#include "json_writer.hpp"
#include "report.hpp"

namespace common {

namespace {

// Members that describe the old file's layout, in every document; a tool adds its numbering.
constexpr std::string_view kLayoutKeys[] = {"offset", "size", "complete", "file"};

}  // namespace

DocumentFieldReader::DocumentFieldReader(JsonReader& json, const DocumentFormat& format,
                                         ByteSink& out)
    : json_(json), format_(format), out_(out) {
  // Spelled out only for a refusal.
  const auto opening = [&format] {
    return "a document of this tool begins {\"format\": \"" + std::string(format.format) + "\"";
  };
  if (json_.next() != Token::beginObject) json_.fail(opening());
  levels_.reserve(kUsualJsonDepth);
  levels_.push_back({true, {}, -1, 0});
  if (json_.next() != Token::key || json_.key() != "format") json_.fail(opening());
  if (json_.next() != Token::string) refuse("/format", opening());
  const std::string given = json_.stringValue(kMostScalarBytes);
  if (given != format.format) {
    refuse("/format", "a document of \"" + given + "\" files, not of \"" +
                          std::string(format.format) + "\" files");
  }
}

void DocumentFieldReader::finish(const std::string& checkStop) {
  checkStop_ = checkStop;
  readToTheEnd(std::nullopt);
}

std::string DocumentFieldReader::pointer() const {
  return pointerWithin(levels_.size());
}

std::string DocumentFieldReader::pointerWithin(std::size_t levels) const {
  std::vector<PathSegment> segments;
  for (std::size_t i = 1; i < levels; ++i) segments.push_back({levels_[i].key, levels_[i].index});
  return pointerOf(segments);
}

DocumentFieldReader::Token DocumentFieldReader::reach(Place place, std::size_t size) {
  while (!standsWithin(place)) leave();
  for (;;) {
    const std::size_t depth = levels_.size() - 1;
    const PathSegment& wanted = place[depth];
    const bool last = depth + 1 == place.size();
    Token token = take();
    if (levels_.back().object) {
      while (token == Token::key && json_.key() != wanted.key && !isTheEnd(token)) {
        putBack(token);
        skipMember();
        token = take();
      }
      // The fields are over at the end of the object, or where the document's "end" begins.
      if (token == Token::endObject || isTheEnd(token)) {
        putBack(token);
        missing(place, size);
      }
      token = take();
      if (last) return token;
      enter(token, std::string(wanted.key), -1);
    } else {
      if (token == Token::endArray) {
        putBack(token);
        missing(place, size);
      }
      const std::int64_t element = levels_.back().elements++;
      if (element != wanted.index) {
        skipFieldless(token, {}, element);
        continue;
      }
      if (last) return token;
      enter(token, {}, element);
    }
  }
}

bool DocumentFieldReader::standsWithin(Place place) const {
  if (levels_.size() - 1 > place.size()) return false;
  for (std::size_t i = 1; i < levels_.size(); ++i) {
    const PathSegment& segment = place[i - 1];
    if (levels_[i].key != segment.key || levels_[i].index != segment.index) return false;
  }
  return true;
}

void DocumentFieldReader::enter(Token token, std::string key, std::int64_t index) {
  if (token != Token::beginObject && token != Token::beginArray) {
    const std::string where = key.empty() ? elementPointer(index) : memberPointer(key);
    refuse(where, "an object or an array should be here");
  }
  levels_.push_back({token == Token::beginObject, std::move(key), index, 0});
}

void DocumentFieldReader::leave() {
  for (;;) {
    const Token token = take();
    if (token == Token::endObject || token == Token::endArray) {
      levels_.pop_back();
      return;
    }
    if (levels_.back().object) {
      putBack(token);
      skipMember();
    } else {
      skipFieldless(token, {}, levels_.back().elements++);
    }
  }
}

void DocumentFieldReader::skipMember() {
  take();  // the key
  std::string key(json_.key());
  const Token value = take();
  if (isLayout(key)) return json_.skipValue(value);
  skipFieldless(value, std::move(key), -1);
}

void DocumentFieldReader::skipFieldless(Token first, std::string key, std::int64_t index) {
  // A refusal names the outermost member skipped, which holds what no field accounts for.
  const bool outermost = !skipping_;
  if (outermost) skipping_ = Skipped{levels_.size(), key, index, json_.position()};
  if (first != Token::beginObject && first != Token::beginArray) {
    const PathSegment segment{skipping_->key, skipping_->index};
    refuseAt(skipping_->at, pointerWithin(skipping_->levels) + pointerOf({&segment, 1}),
             noFieldHere(skipping_->key));
  }
  enter(first, std::move(key), index);
  leave();
  if (outermost) skipping_.reset();
}

std::string DocumentFieldReader::noFieldHere(const std::string& key) const {
  if (!checkStop_.empty()) {
    return checkStop_ + ", and the file ends there: no field of it is here";
  }
  if (!key.empty()) {
    return "unknown member \"" + key + "\": no field of the file is here (the fields before it, " +
           "their counts, lengths and checks, do not ask for one)";
  }
  return "no field of the file is here: the fields before it (its counts, lengths and checks) "
         "do not reach it";
}

bool DocumentFieldReader::isTheEnd(Token token) const {
  return token == Token::key && levels_.size() == 1 && json_.key() == "end";
}

bool DocumentFieldReader::isLayout(std::string_view key) const {
  for (const std::string_view layout : kLayoutKeys) {
    if (key == layout) return true;
  }
  for (const std::string_view numbering : format_.numbering) {
    if (key == numbering) return true;
  }
  return false;
}

void DocumentFieldReader::missing(Place place, std::size_t size) {
  const TextPosition at = json_.position();
  const JsonError missingHere{
      "missing, though the fields before it ask for it (a document of a file that ends here "
      "says \"outcome\": \"fileEndsEarly\")",
      at, pointerOf(place)};
  // Whether the document is of a file that ends here: then nothing but its end follows.
  std::string outcome;
  try {
    outcome = readToTheEnd(size);
  } catch (const JsonError&) {
    throw missingHere;
  }
  // What the file holds of the field it ends in is written.
  if (outcome == "fileEndsEarly") throw FileEndsEarly{};
  if (outcome == "cannotOpen") {
    refuse({}, "the document is of a file that could not be opened: it describes no file");
  }
  throw missingHere;
}

std::string DocumentFieldReader::readToTheEnd(std::optional<std::size_t> fieldSize) {
  while (levels_.size() > 1) leave();
  std::string outcome;
  for (Token token = take(); token != Token::endObject; token = take()) {
    if (json_.key() != "end") {
      putBack(token);
      skipMember();
      continue;
    }
    outcome = readEnd(fieldSize);
  }
  levels_.pop_back();
  json_.next();  // the end of the document, or the text after it refused
  return outcome;
}

DocumentFieldReader::Token DocumentFieldReader::take() {
  if (hasPending_) {
    hasPending_ = false;
    return pending_;
  }
  return json_.next();
}

std::string DocumentFieldReader::memberPointer(std::string_view key) const {
  return memberPointerIn(pointer(), key);
}

std::string DocumentFieldReader::memberPointerIn(const std::string& container,
                                                 std::string_view key) {
  const PathSegment segment{key};
  return container + pointerOf({&segment, 1});
}

std::string DocumentFieldReader::elementPointer(std::int64_t index) const {
  const PathSegment segment{{}, index};
  return pointer() + pointerOf({&segment, 1});
}

void DocumentFieldReader::refuseAt(TextPosition at, const std::string& pointer,
                                   std::string message) {
  throw JsonError{std::move(message), at, pointer};
}

void DocumentFieldReader::refuse(const std::string& pointer, std::string message) const {
  throw JsonError{std::move(message), json_.position(), pointer};
}

namespace {

void printRefusal(std::string_view document, const JsonError& error) {
  printErrorLine("***ERROR ", document, ":", error.at.line, ":", error.at.column,
                 error.pointer.empty() ? "" : " ", error.pointer, ": ", error.message);
}

}  // namespace

int readDocument(ByteSource& in, std::string_view name, const DocumentFormat& format,
                 const DocumentWalk& walk, ByteSink& out) {
  try {
    JsonReader json(in);
    DocumentFieldReader reader(json, format, out);
    FieldPrinter nothing;
    Walk fields(reader, nothing);
    try {
      reader.finish(walk(fields));
    } catch (const FileEndsEarly&) {
      // The document is of a file that ends inside a field: what it holds of it is written.
    } catch (JsonError& error) {
      if (error.pointer.empty()) error.pointer = reader.pointer();
      throw;
    }
  } catch (const JsonError& error) {
    printRefusal(name, error);
    return 1;
  }
  return 0;
}

int writeFromDocument(const char* documentPath, const char* outputPath, ReverseRun reverse) {
  if (std::string_view(outputPath) == "-") {
    printErrorLine("***ERROR -r writes a file: give OUTPUT a file name, not -");
    return 1;
  }
  InputFile in(documentPath, true);
  if (const std::optional<std::string> failure = in.open()) {
    writeCannotOpen(stderr, documentPath, *failure);
    return 1;
  }
  const std::optional<FileIdentity> document =
      in.isStandardInput() ? std::nullopt : identityAt(documentPath);
  if (document && identityAt(outputPath) == document) {
    printErrorLine("***ERROR ", outputPath,
                   " is the document itself: write the file under another name");
    return 1;
  }
  OutputFile out(outputPath);
  SystemError failure;
  if (!out.open(failure)) {
    printErrorLine("***ERROR cannot create ", outputPath, ": ", failure.reason);
    return 1;
  }
  if (reverse(in, in.isStandardInput() ? "(standard input)" : documentPath, out) != 0) return 1;
  if (!out.commit(failure)) {
    printErrorLine("***ERROR cannot write ", outputPath, ": ", failure.reason);
    return 1;
  }
  return 0;
}

int runDumper(const CommandLine& line, const Dumper& dumper) {
  if (line.has("--reverse")) {
    return writeFromDocument(line.operands[0], line.operands[1], dumper.reverse);
  }
  InputFile input(line.operands[0], false);
  if (line.has("--diff")) {
    InputFile other(line.operands[1], false);
    return dumper.diff(input, line.operands[0], other, line.operands[1], formOf(line));
  }
  return dumper.dump(input, line.operands[0], formOf(line));
}

}  // namespace common
