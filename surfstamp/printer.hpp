#pragma once

// What surfstamp finds and does, step by step, and the two forms it is reported in: the
// historic text report, and a JSON document that lists every collision chunk and every
// material id field with its offset, the id read and the id written.

#include <cstdint>
#include <memory>
#include <string>

#include "material_id.hpp"

namespace surfstamp {

// Where a field lies in the file, and the value read there.
struct Field {
  std::int64_t offset;
  std::int64_t size;
  std::int64_t value;
};

// A collision model chunk as the check of the whole file found it. A chunk the check refused is
// reported as far as it was read: `fieldsRead` of its three fields, in file order.
struct Chunk {
  std::int32_t number;
  std::int64_t offset;
  Field length{};  // of what follows the length field
  Field entryCount{};
  Field recordCount{};  // material records; none to stamp when 0 or less
  int fieldsRead = 0;
  bool complete = false;
};

// One material id field: where it lies, and the id it held.
struct IdField {
  std::int32_t chunk;
  std::int64_t record;      // counted from 1 within the chunk
  std::int32_t recordSize;  // 8 or 32: which of the record's two id fields this is
  std::int64_t offset;
  std::uint16_t read;
};

enum class Outcome {
  stamped,           // every id field written
  checked,           // a dry run: every id field found, nothing written
  notAModel,         // the format byte is not 9 or 10, or the file is empty
  noCollisionModel,  // the model count is not 1 to 239
  idTooLarge,        // the id is above 65535
  refused,           // the id is not a number, or the file cannot be used: nothing written
};

class Printer {
 public:
  virtual ~Printer() = default;
  virtual void materialId(const char* text, MaterialIdArgument id) = 0;
  virtual void formatByte(Field field) = 0;
  virtual void modelCount(Field field) = 0;
  virtual void modelCountAccepted() = 0;  // 1 to 239 collision models
  virtual void chunk(const Chunk& chunk) = 0;
  virtual void beginIdFields() = 0;  // the whole file holds together
  virtual void idField(const IdField& field) = 0;
  // The last call of every run; `reason` says why a refused run was refused.
  virtual void end(Outcome outcome, const std::string& reason) = 0;
  // Hands everything to standard output; false when that failed.
  virtual bool finish() = 0;
};

std::unique_ptr<Printer> makeTextPrinter();
std::unique_ptr<Printer> makeJsonPrinter(const char* path, bool dryRun);

}  // namespace surfstamp
