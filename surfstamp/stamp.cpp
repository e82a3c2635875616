// surfstamp: sets every collision material id of a static model file (.sm) to one value, in
// place. Nothing else in the file changes, and the file keeps its length.
//
// Layout, little-endian: a format byte (9 or 10), bytes not interpreted, then i32 numModels
// (at offset 32 for format 9, 33 for format 10) and that many collision model chunks, each
// directly after the one before. A chunk, offsets from its start:
//   0             i32 length L of what follows; the next chunk starts at 4 + L
//   4             8 bytes not interpreted
//   12            i32 entry count A, then A entries of 16 bytes
//   16 + 16A      i32 material record count B, then B records of 8 bytes, id in bytes 6-7
//   20 + 16A + 8B 40 bytes not interpreted, then B records of 32 bytes, id in bytes 0-1
//
// The whole file is walked and checked before the first byte is written, so a file that does
// not hold together is refused untouched.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/file_system.hpp"
#include "material_id.hpp"
#include "printer.hpp"
#include "run.hpp"

namespace surfstamp {
namespace {

constexpr std::int32_t kMaxModels = 239;

// Chunk layout, offsets from the start of a chunk.
constexpr std::int64_t kLengthFieldSize = 4;
constexpr std::int64_t kEntryCountOffset = 12;
constexpr std::int64_t kEntrySize = 16;
constexpr std::int64_t kShortRecordSize = 8;
constexpr std::int64_t kShortRecordIdOffset = 6;
constexpr std::int64_t kGapSize = 40;
constexpr std::int64_t kLongRecordSize = 32;
// Records are stamped a window at a time: a few system calls per megabyte, not one per field.
constexpr std::size_t kWindowBytes = std::size_t{1} << 20;

// The file or the argument cannot be used; the message says what and where.
struct Refusal {
  std::string message;
};

// Where the material id fields of one chunk lie, and where the next chunk starts.
struct ChunkPlan {
  Chunk found{};                  // the chunk's fields, as reported
  std::int64_t shortRecords = 0;  // offset of the first 8-byte record
  std::int64_t longRecords = 0;   // offset of the first 32-byte record
  std::int32_t recordCount = 0;   // 0 when the chunk has none to stamp
  std::int64_t nextChunk = 0;
};

// The open model file, read and written at absolute offsets.
class ModelFile {
 public:
  ModelFile(common::File file, std::string path) : file_(std::move(file)), path_(std::move(path)) {
    size_ = static_cast<std::int64_t>(file_.size().value_or(0));
  }

  std::int64_t size() const { return size_; }
  const std::string& path() const { return path_; }

  std::uint8_t u8At(std::int64_t offset) { return static_cast<std::uint8_t>(readAt<1>(offset)); }
  std::int32_t i32At(std::int64_t offset) { return static_cast<std::int32_t>(readAt<4>(offset)); }

  void readAt(std::int64_t offset, std::span<char> bytes) {
    const std::optional<std::size_t> got =
        file_.readAt(static_cast<std::uint64_t>(offset),
                     reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    if (got != bytes.size()) {
      throw Refusal{path_ + ": reading at byte " + std::to_string(offset) + " failed"};
    }
  }

  void writeAt(std::int64_t offset, std::span<const char> bytes) {
    if (!file_.writeAt(static_cast<std::uint64_t>(offset),
                       reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) {
      throw Refusal{path_ + ": writing at byte " + std::to_string(offset) + " failed"};
    }
  }

 private:
  // Callers check that the field lies inside the file; a failure here is an I/O error.
  template <std::size_t Size>
  std::uint32_t readAt(std::int64_t offset) {
    std::array<char, Size> raw{};
    readAt(offset, raw);
    std::uint32_t value = 0;
    for (std::size_t i = Size; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(raw[i]);
    return value;
  }

  common::File file_;
  std::string path_;
  std::int64_t size_ = 0;
};

// Checks one chunk against its own length and the file, and says where its ids lie. `found`
// holds the chunk's fields as they are read, for the report of a refused chunk too.
ChunkPlan planChunk(ModelFile& file, Chunk& found) {
  const std::int64_t start = found.offset;
  const std::string where =
      file.path() + ": chunk " + std::to_string(found.number) + " at byte " + std::to_string(start);
  if (start + kLengthFieldSize > file.size()) {
    throw Refusal{where + ": the file ends before its length field"};
  }
  const std::int32_t length = file.i32At(start);
  found.length = {start, 4, length};
  found.fieldsRead = 1;
  const std::string lengthText = "its length " + std::to_string(length);
  if (length < 0) throw Refusal{where + ": " + lengthText + " is negative"};
  const std::int64_t next = start + kLengthFieldSize + length;
  if (next > file.size()) {
    throw Refusal{where + ": " + lengthText + " runs past the end of the file at byte " +
                  std::to_string(file.size())};
  }
  // Every field the walk reads or writes must lie inside the chunk as its length declares it.
  const auto requireInChunk = [&](std::int64_t end, const std::string& what) {
    if (start + end > next) throw Refusal{where + ": " + lengthText + " does not cover " + what};
  };
  requireInChunk(kEntryCountOffset + 4, "the entry count");
  const std::int32_t entryCount = file.i32At(start + kEntryCountOffset);
  found.entryCount = {start + kEntryCountOffset, 4, entryCount};
  found.fieldsRead = 2;
  if (entryCount < 0) {
    throw Refusal{where + ": its entry count " + std::to_string(entryCount) + " is negative"};
  }
  const std::int64_t recordCountOffset = kEntryCountOffset + 4 + kEntrySize * entryCount;
  requireInChunk(recordCountOffset + 4,
                 "the material record count after " + std::to_string(entryCount) + " entries");
  const std::int32_t recordCount = file.i32At(start + recordCountOffset);
  found.recordCount = {start + recordCountOffset, 4, recordCount};
  found.fieldsRead = 3;
  ChunkPlan plan;
  plan.nextChunk = next;
  if (recordCount > 0) {
    plan.recordCount = recordCount;
    plan.shortRecords = start + recordCountOffset + 4;
    plan.longRecords = plan.shortRecords + kShortRecordSize * recordCount + kGapSize;
    requireInChunk(plan.longRecords - start + kLongRecordSize * recordCount,
                   "its " + std::to_string(recordCount) + " material records");
  }
  found.complete = true;
  plan.found = found;
  return plan;
}

// Where one run of records lies: `count` records of `recordSize` bytes from `first` on, each
// with its id field at `idOffset`.
struct RecordRun {
  std::int32_t chunk;
  std::int64_t first;
  std::int64_t count;
  std::int32_t recordSize;
  std::int64_t idOffset;
};

// The bytes of whole records read at a time, and the ids they held.
struct Window {
  std::vector<char> bytes;
  std::vector<std::uint16_t> ids;  // one per record of the smallest size the window holds
};

// What a stamping does with the file: the id it writes, or nothing in a dry run.
struct Stamping {
  std::uint16_t materialId;
  bool dryRun;
  Printer& printer;
};

// Reports every id field of `run` and sets it, a window of whole records at a time: read, set
// the ids, write back. Every other byte goes back as it was read. A field is reported once its
// window is written, or in a dry run once it is read.
void stampRecords(ModelFile& file, const RecordRun& run, const Stamping& stamping, Window& window) {
  const std::int64_t recordsPerWindow =
      static_cast<std::int64_t>(window.bytes.size()) / run.recordSize;
  std::vector<std::uint16_t>& readIds = window.ids;
  for (std::int64_t done = 0; done < run.count;) {
    const std::int64_t records = std::min(recordsPerWindow, run.count - done);
    const std::span<char> bytes(window.bytes.data(),
                                static_cast<std::size_t>(records * run.recordSize));
    const std::int64_t offset = run.first + done * run.recordSize;
    file.readAt(offset, bytes);
    for (std::int64_t record = 0; record < records; ++record) {
      const auto at = static_cast<std::size_t>(record * run.recordSize + run.idOffset);
      readIds[static_cast<std::size_t>(record)] = static_cast<std::uint16_t>(
          static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
      bytes[at] = static_cast<char>(stamping.materialId & 0xFF);
      bytes[at + 1] = static_cast<char>(stamping.materialId >> 8);
    }
    if (!stamping.dryRun) file.writeAt(offset, bytes);
    for (std::int64_t record = 0; record < records; ++record) {
      stamping.printer.idField({run.chunk, done + record + 1, run.recordSize,
                                offset + record * run.recordSize + run.idOffset,
                                readIds[static_cast<std::size_t>(record)]});
    }
    done += records;
  }
}

void stampChunk(ModelFile& file, const ChunkPlan& plan, const Stamping& stamping, Window& window) {
  const std::int32_t chunk = plan.found.number;
  stampRecords(file,
               {chunk, plan.shortRecords, plan.recordCount, kShortRecordSize, kShortRecordIdOffset},
               stamping, window);
  stampRecords(file, {chunk, plan.longRecords, plan.recordCount, kLongRecordSize, 0}, stamping,
               window);
}

void stampAll(ModelFile& file, std::int32_t modelCount, std::int64_t firstChunk,
              const Stamping& stamping) {
  std::array<ChunkPlan, kMaxModels> plans{};
  std::int64_t start = firstChunk;
  for (std::int32_t model = 0; model < modelCount; ++model) {
    Chunk found{model + 1, start};
    try {
      plans[static_cast<std::size_t>(model)] = planChunk(file, found);
    } catch (const Refusal&) {
      stamping.printer.chunk(found);
      throw;
    }
    stamping.printer.chunk(found);
    start = plans[static_cast<std::size_t>(model)].nextChunk;
  }
  stamping.printer.beginIdFields();
  // Every record lies in the file, so a window the size of a smaller file holds one at least.
  const auto windowBytes = std::min<std::int64_t>(kWindowBytes, file.size());
  Window window{
      std::vector<char>(static_cast<std::size_t>(windowBytes)),
      std::vector<std::uint16_t>(static_cast<std::size_t>(windowBytes / kShortRecordSize))};
  for (std::int32_t model = 0; model < modelCount; ++model) {
    stampChunk(file, plans[static_cast<std::size_t>(model)], stamping, window);
  }
}

// The tool's documented outcomes; refusals of damaged files are thrown as Refusal.
Outcome stampFile(ModelFile& file, MaterialIdArgument id, bool dryRun, Printer& printer) {
  const std::uint8_t format = file.size() > 0 ? file.u8At(0) : 0;
  if (file.size() > 0) printer.formatByte({0, 1, format});
  if (format != 9 && format != 10) return Outcome::notAModel;
  const std::int64_t modelCountOffset = format == 9 ? 32 : 33;
  if (modelCountOffset + 4 > file.size()) {
    throw Refusal{file.path() + " ends at byte " + std::to_string(file.size()) +
                  " while reading numModels"};
  }
  const std::int32_t modelCount = file.i32At(modelCountOffset);
  printer.modelCount({modelCountOffset, 4, modelCount});
  if (modelCount <= 0 || modelCount > kMaxModels) return Outcome::noCollisionModel;
  printer.modelCountAccepted();
  if (id.tooLarge) return Outcome::idTooLarge;
  stampAll(file, modelCount, modelCountOffset + 4, {id.value, dryRun, printer});
  return dryRun ? Outcome::checked : Outcome::stamped;
}

// Opens the model for reading and writing, or for reading alone in a dry run, and stamps it.
Outcome openAndStamp(const char* path, MaterialIdArgument id, bool dryRun, Printer& printer) {
  common::SystemError failure;
  common::File opened =
      dryRun ? common::openForReading(path, failure) : common::openForUpdate(path, failure);
  if (!opened.isOpen()) {
    const std::string access = dryRun ? " for reading: " : " for reading and writing: ";
    throw Refusal{"cannot open " + std::string(path) + access + failure.reason};
  }
  ModelFile file(std::move(opened), path);
  return stampFile(file, id, dryRun, printer);
}

Outcome stampOrRefuse(const char* path, const char* idText, bool dryRun, Printer& printer) {
  const std::optional<MaterialIdArgument> id = parseMaterialId(idText);
  if (!id) {
    throw Refusal{"the material id \"" + std::string(idText) +
                  "\" is not a number: give decimal digits only"};
  }
  printer.materialId(idText, *id);
  return openAndStamp(path, *id, dryRun, printer);
}

}  // namespace

int run(const char* path, const char* idText, Options options) {
  const std::unique_ptr<Printer> printer =
      options.json ? makeJsonPrinter(path, options.dryRun) : makeTextPrinter();
  int exitCode = 0;
  try {
    printer->end(stampOrRefuse(path, idText, options.dryRun, *printer), "");
  } catch (const Refusal& refusal) {
    printer->end(Outcome::refused, refusal.message);
    exitCode = 1;
  }
  return printer->finish() ? exitCode : 1;
}

}  // namespace surfstamp
