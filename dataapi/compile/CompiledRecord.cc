#include "dataapi/CompiledRecord.h"

#include "platform/base/Error.h"

#include <array>

namespace quarnel::dataapi {
namespace {

constexpr size_t kFieldCount = kCompiledRecordSize / 4;

int32_t GetLittleEndian(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

void PutLittleEndian(char* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<char>(u & 0xFF);
  p[1] = static_cast<char>((u >> 8) & 0xFF);
  p[2] = static_cast<char>((u >> 16) & 0xFF);
  p[3] = static_cast<char>((u >> 24) & 0xFF);
}

// The fields in their order in the record.
std::array<int32_t*, kFieldCount> FieldsOf(CompiledRecord& r) {
  return {&r.sample_number,   &r.network,       &r.device,         &r.channel_mask,  &r.command,
          &r.start_intensity, &r.end_intensity, &r.short_interval, &r.long_interval, &r.setting0};
}

}  // namespace

std::vector<CompiledRecord> ReadCompiledBlock(std::string_view bytes, std::string_view what,
                                              const char* source) {
  if (bytes.size() % kCompiledRecordSize != 0) {
    throw Error(kBadRecordLength,
                "Bad record length (" + std::string(what) + " holds " +
                    std::to_string(bytes.size()) +
                    " bytes, which is not a whole number of 40-byte playback records)",
                source);
  }
  std::vector<CompiledRecord> records(bytes.size() / kCompiledRecordSize);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (CompiledRecord& r : records) {
    for (int32_t* field : FieldsOf(r)) {
      *field = GetLittleEndian(p);
      p += 4;
    }
  }
  return records;
}

std::string WriteCompiledBlock(std::span<const CompiledRecord> records) {
  std::string bytes(records.size() * kCompiledRecordSize, '\0');
  char* p = bytes.data();
  for (CompiledRecord r : records) {
    for (int32_t* field : FieldsOf(r)) {
      PutLittleEndian(p, *field);
      p += 4;
    }
  }
  return bytes;
}

bool IsChannelBitSet(int32_t channel_mask, int32_t bit) {
  if (bit < 0 || bit > 15) return false;
  return ((static_cast<uint32_t>(channel_mask) >> bit) & 1u) != 0;
}

std::optional<CompiledEvent> ReadCompiledEvent(const CompiledRecord& r, int32_t bit) {
  if (r.command <= 0 || !IsChannelBitSet(r.channel_mask, bit)) return std::nullopt;
  CompiledEvent e{bit + 1, r.command};
  if (e.command < 30) {
    e.channel += 8;
    e.command += 10;
  }
  if (e.command > 10000) e.command -= 10000;
  return e;
}

}  // namespace quarnel::dataapi
