// The header of a dBase III, dBase IV or FoxPro table file: the fixed 32
// bytes, one 32-byte descriptor per field, and the 0x0D terminator. See
// docs/dbf-format.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark::engine {

constexpr std::size_t kHeaderPrefixSize = 32;
constexpr std::size_t kFieldDescriptorSize = 32;
constexpr char kHeaderTerminator = 0x0D;
constexpr char kEndOfData = 0x1A;
constexpr char kLiveMarker = ' ';
constexpr char kDeletedMarker = '*';
constexpr std::uint8_t kVersionPlain = 0x03;
constexpr std::uint8_t kVersionWithMemo = 0x83;
constexpr std::uint8_t kVersionFoxProWithMemo = 0xF5;

// Where a table keeps its memos: dBase's .DBT file or FoxPro's .FPT file.
enum class MemoFormat { kDbt, kFpt };

struct FieldDescriptor {
  std::string name;         // as stored (upper case for tables we create)
  char type = 'C';          // "C", "N", "L", "D", "M", ...
  std::uint16_t width = 0;  // up to 65535 for C fields (Clipper, FoxPro), else up to 255
  std::uint8_t decimals = 0;
  std::uint32_t offset = 0;  // in the record; the delete marker is at 0

  // Whether the field holds the number of a block in the memo file (memos,
  // pictures, OLE objects, blobs) rather than a value of its own.
  bool IsMemoReference() const;
  // Whether that number is FoxPro's 4 binary bytes rather than digits.
  bool HasBinaryMemoReference() const { return width == 4; }
};

struct TableHeader {
  std::uint8_t version = kVersionPlain;
  std::uint8_t update_year = 0;  // years since 1900
  std::uint8_t update_month = 1;
  std::uint8_t update_day = 1;
  std::uint32_t record_count = 0;
  std::uint16_t header_length = 0;
  std::uint16_t record_length = 0;
  bool is_encrypted = false;
  std::vector<FieldDescriptor> fields;

  bool HasMemoFields() const;
};

// Offsets of the header bytes that change while a table is in use.
constexpr std::uint64_t kUpdateDateOffset = 1;
constexpr std::uint64_t kRecordCountOffset = 4;

// The table format a version byte names, in words ("dBase III with a .DBT
// memo file"); "" for a byte that names none.
std::string TableFormatName(std::uint8_t version);

// What the engine says when it refuses a file: the format named in words
// (when the file is long enough to have a version byte) and `reason`.
std::string RefusalText(std::optional<std::uint8_t> version, std::string_view reason);

// The memo format of a table: the one its version byte names, or for a byte
// that names none (0x03 with memo fields, say) `preferred`, the caller's.
MemoFormat MemoFormatFor(std::uint8_t version, MemoFormat preferred);

// Parses the header at the start of `bytes` (at least the header's own
// length; more does no harm) for a file of `file_size` bytes. Every
// inconsistency gives nullopt, and its reason in `refusal` when given ("its
// record length is 0"): the caller must be able to trust each offset and
// length it returns. A record count beyond the end of the file becomes the
// number of whole records the file holds. Field types are not examined:
// fields of any type are carried.
std::optional<TableHeader> ParseTableHeader(std::string_view bytes, std::uint64_t file_size,
                                            std::string* refusal = nullptr);

// Header length claimed by the first bytes of a file, 0 when too short.
std::size_t ClaimedHeaderLength(std::string_view prefix);

// Lays out the fields of a new table (offsets, record length, header length,
// version: FoxPro 2's when its memos go into an .FPT file) and checks them:
// names of 1 to 10 characters beginning with a letter and made of letters,
// digits and "_", no name twice, and widths the type allows. nullopt when
// any field is not acceptable.
std::optional<TableHeader> NewTableHeader(std::vector<FieldDescriptor> fields,
                                          MemoFormat memo_format = MemoFormat::kDbt);

// The header bytes, terminator included (header_length bytes).
std::string EncodeTableHeader(const TableHeader& header);

}  // namespace cratemark::engine
