#include "model_file.hpp"

#include "bytes.hpp"

namespace testing_support {

namespace {

std::string pattern(std::size_t start, std::size_t count) {
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(static_cast<char>((start + i) * 37 + 11));
  return bytes;
}

std::int64_t i32At(const std::string& file, std::int64_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(file[static_cast<std::size_t>(offset + i)]);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

ModelFixture buildModel(std::uint8_t format, const std::vector<ChunkSpec>& chunks,
                        std::optional<std::int32_t> numModels) {
  ModelFixture model;
  Bytes file;
  file.u8(format).raw(pattern(1, format == 10 ? 32 : 31));
  file.i32(numModels.value_or(static_cast<std::int32_t>(chunks.size())));
  for (const ChunkSpec& chunk : chunks) {
    const auto records = static_cast<std::size_t>(chunk.records < 0 ? 0 : chunk.records);
    const std::size_t length = 12 + 16 * static_cast<std::size_t>(chunk.entries) + 4 +
                               40 * records + 40 + chunk.extraBytes;
    file.i32(static_cast<std::int32_t>(length)).raw(pattern(file.size(), 8)).i32(chunk.entries);
    file.raw(pattern(file.size(), 16 * static_cast<std::size_t>(chunk.entries))).i32(chunk.records);
    for (std::size_t r = 0; r < records; ++r) {
      model.idFields.push_back(file.size() + 6);
      file.raw(pattern(file.size(), 8));
    }
    file.raw(pattern(file.size(), 40));
    for (std::size_t r = 0; r < records; ++r) {
      model.idFields.push_back(file.size());
      file.raw(pattern(file.size(), 32));
    }
    file.raw(pattern(file.size(), chunk.extraBytes));
  }
  model.bytes = file.str();
  return model;
}

std::optional<std::vector<std::size_t>> materialIdFields(const std::string& file) {
  const auto size = static_cast<std::int64_t>(file.size());
  if (size == 0 || (file[0] != 9 && file[0] != 10)) return std::vector<std::size_t>{};
  std::int64_t at = file[0] == 9 ? 32 : 33;
  if (at + 4 > size) return std::nullopt;
  const std::int64_t models = i32At(file, at);
  if (models < 1 || models > 239) return std::vector<std::size_t>{};
  std::vector<std::size_t> fields;
  at += 4;
  for (std::int64_t model = 0; model < models; ++model) {
    if (at + 4 > size) return std::nullopt;
    const std::int64_t end = at + 4 + i32At(file, at);
    if (end < at + 4 || end > size || at + 16 > end) return std::nullopt;
    const std::int64_t entries = i32At(file, at + 12);
    const std::int64_t countAt = at + 16 + 16 * entries;
    if (entries < 0 || countAt + 4 > end) return std::nullopt;
    const std::int64_t records = i32At(file, countAt);
    if (records > 0) {
      if (countAt + 4 + 40 * records + 40 > end) return std::nullopt;
      for (std::int64_t r = 0; r < records; ++r) {
        fields.push_back(static_cast<std::size_t>(countAt + 4 + 8 * r + 6));
        fields.push_back(static_cast<std::size_t>(countAt + 4 + 8 * records + 40 + 32 * r));
      }
    }
    at = end;
  }
  return fields;
}

std::string withIds(std::string file, const std::vector<std::size_t>& fields, std::uint16_t value) {
  for (const std::size_t field : fields) {
    file[field] = static_cast<char>(value & 0xFF);
    file[field + 1] = static_cast<char>(value >> 8);
  }
  return file;
}

}  // namespace testing_support
