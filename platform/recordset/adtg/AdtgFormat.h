// The constants of the Advanced Data TableGram format as the recordset library writes it
// for a flat, connection-less table: token bytes, the fixed header, the identities and
// properties of its opening block, the storage-type rules for values.
//
// Layout of a file:
//   header, handler options, result descriptor, recordset context,
//   [base-table descriptors], one column descriptor per column, rows, end token.
// Every element before the rows is `token, size, payload`, so a reader can step over one
// it does not need; rows have no sizes and are decoded field by field. All integers are
// little-endian; bitmaps are most-significant bit first.
#pragma once

#include <array>
#include <cstdint>

namespace quarnel::adtg {

// Element tokens.
inline constexpr uint8_t kHeaderToken = 0x01;
inline constexpr uint8_t kHandlerOptionsToken = 0x02;
inline constexpr uint8_t kResultDescriptorToken = 0x03;
inline constexpr uint8_t kTableDescriptorToken = 0x05;
inline constexpr uint8_t kColumnDescriptorToken = 0x06;
inline constexpr uint8_t kRecordsetContextToken = 0x10;
// Row tokens.
inline constexpr uint8_t kOriginalRowToken = 0x07;  // unchanged, or the original of a change
inline constexpr uint8_t kChangedRowToken = 0x0A;   // follows a 0x07: its new values
inline constexpr uint8_t kDeleteToken = 0x0C;       // follows a 0x07: the row is deleted
inline constexpr uint8_t kInsertedRowToken = 0x0D;
inline constexpr uint8_t kEndToken = 0x0F;
// Rows of child tables in a hierarchical file, which a flat table never has.
inline constexpr std::array<uint8_t, 5> kChildRowTokens = {0x80, 0x87, 0x8A, 0x8C, 0x8D};

// The header: token, size 7, "TG!", version 0.0, little-endian, character data not Unicode.
inline constexpr std::array<uint8_t, 9> kHeader = {0x01, 0x07, 'T', 'G', '!', 0, 0, 0, 0};

// Result descriptor payload without property sets.
inline constexpr uint16_t kResultDescriptorFixedSize = 33;

// Column descriptor: presence bits of the optional parts (first, second, third byte).
inline constexpr uint8_t kColName = 0x80;
inline constexpr uint8_t kColBaseTableOrdinal = 0x40;
inline constexpr uint8_t kColBaseColumnOrdinal = 0x20;
inline constexpr uint8_t kColBaseColumnName = 0x10;
inline constexpr uint8_t kColAutoIncrement = 0x01;  // second byte

// Storage types with special meaning.
inline constexpr uint16_t kDbTypeBytes = 0x80;
inline constexpr uint16_t kDbTypeStr = 0x81;
inline constexpr uint16_t kDbTypeWStr = 0x82;
inline constexpr uint16_t kDbTypeChapter = 0x88;

// Column flags read by the format itself.
inline constexpr uint32_t kFlagFixed = 0x10;
inline constexpr uint32_t kFlagLong = 0x80;
inline constexpr uint32_t kFlagNullableMask = 0x20 | 0x40;  // nullable or may-be-null
inline constexpr uint32_t kFlagChapter = 0x2000;

// Values of text and binary columns at most this many bytes wide carry a one-byte length
// (or none when fixed-length); wider columns carry a four-byte length. For long columns
// (kFlagLong) this narrow no wider file has shown the width; the reader tries both.
inline constexpr uint64_t kShortWidthLimit = 255;

}  // namespace quarnel::adtg
