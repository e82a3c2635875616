#pragma once

// Static model (.sm) fixtures for the material stamper's tests: built chunk by chunk with every
// material id field recorded, and an independent reading of where a file's id fields lie.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct ChunkSpec {
  std::int32_t entries = 0;
  std::int32_t records = 0;
  std::size_t extraBytes = 0;  // not interpreted, after the last 32-byte record
};

struct ModelFixture {
  std::string bytes;
  std::vector<std::size_t> idFields;  // offset of every 2-byte material id field
};

// A model file with the given format byte and chunks; numModels is the chunk count unless
// given. Every byte not set by the layout holds a pattern, so any stray write shows.
ModelFixture buildModel(std::uint8_t format, const std::vector<ChunkSpec>& chunks,
                        std::optional<std::int32_t> numModels = std::nullopt);

// Where the id fields of `file` lie, read the way the format defines it; nothing when the file
// does not hold together (a chunk or a field beyond its chunk or the file, a negative count).
// A file with an unknown format byte or a model count outside 1..239 has no fields to stamp.
std::optional<std::vector<std::size_t>> materialIdFields(const std::string& file);

// `file` with `value` written low byte first into each of `fields`.
std::string withIds(std::string file, const std::vector<std::size_t>& fields, std::uint16_t value);

}  // namespace testing_support
