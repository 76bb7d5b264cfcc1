#include "engine/table_header.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/ascii.h"
#include "engine/byte_order.h"

namespace cratemark::engine {
namespace {

constexpr std::size_t kNameBytes = 11;
constexpr std::size_t kMaxNameLength = 10;
constexpr std::size_t kMaxNewFields = 1024;

// The version bytes whose tables share one record layout and header: dBase
// III and IV and the programs that copy them (Clipper among them) mark
// theirs with 3 in the low bits, FoxPro 2 writes 0xF5 beside an .FPT memo
// file, Visual FoxPro 0x30 to 0x32 (its binary fields are carried as they
// are).
bool IsFoxProVersion(std::uint8_t version) {
  return (version >= 0x30 && version <= 0x32) || version == kVersionFoxProWithMemo;
}

bool IsKnownVersion(std::uint8_t version) {
  return (version & 0x07) == 0x03 || IsFoxProVersion(version);
}

bool IsDbase7(std::uint8_t version) { return version == 0x04 || version == 0x8C; }

std::string Hex(std::uint8_t byte) {
  const char* digits = "0123456789ABCDEF";
  return std::string("0x") + digits[byte >> 4] + digits[byte & 0x0F];
}

// A refusal: nullopt, with the reason where the caller wants it.
std::nullopt_t Refused(std::string* refusal, std::string reason) {
  if (refusal != nullptr) *refusal = std::move(reason);
  return std::nullopt;
}

// Width of a field of `type` in a new table, or 0 when `width` and `decimals`
// are not acceptable for it. Fixed-width types take their one width.
int NewFieldWidth(char type, int width, int decimals) {
  switch (type) {
    case 'C':
      return (width >= 1 && width <= 254 && decimals == 0) ? width : 0;
    case 'N':
    case 'F':
      if (width < 1 || width > 20 || decimals < 0) return 0;
      // Room for the point and at least one digit before it.
      if (decimals > 0 && decimals > width - 2) return 0;
      return width;
    case 'L':
      return 1;
    case 'D':
      return 8;
    case 'M':
      return 10;
    default:
      return 0;
  }
}

}  // namespace

bool FieldDescriptor::IsMemoReference() const {
  switch (type) {
    case 'M':  // memo text
    case 'G':  // OLE object
    case 'P':  // picture
    case 'W':  // Visual FoxPro's blob
      return true;
    case 'B':  // dBase's binary memo; Visual FoxPro's B is a double of 8 bytes
      return width != 8;
    default:
      return false;
  }
}

bool TableHeader::HasMemoFields() const {
  return std::any_of(fields.begin(), fields.end(),
                     [](const FieldDescriptor& f) { return f.IsMemoReference(); });
}

std::string TableFormatName(std::uint8_t version) {
  switch (version) {
    case 0x02:
      return "FoxBASE table";
    case 0x03:
      return "dBase III table";
    case 0x04:
      return "dBase 7 table";
    case 0x30:
      return "Visual FoxPro table";
    case 0x31:
      return "Visual FoxPro table with an autoincrement field";
    case 0x32:
      return "Visual FoxPro table with varchar or varbinary fields";
    case 0x43:
      return "dBase IV SQL table";
    case 0x63:
      return "dBase IV SQL system table";
    case kVersionWithMemo:
      return "dBase III table with a .DBT memo file";
    case 0x8B:
      return "dBase IV table with a .DBT memo file";
    case 0x8C:
      return "dBase 7 table with a .DBT memo file";
    case 0xCB:
      return "dBase IV SQL table with a .DBT memo file";
    case kVersionFoxProWithMemo:
      return "FoxPro 2 table with an .FPT memo file";
    case 0xFB:
      return "FoxBASE table with a memo file";
    default:
      return (version & 0x07) == 0x03 ? "table of the dBase III and IV family" : "";
  }
}

std::string RefusalText(std::optional<std::uint8_t> version, std::string_view reason) {
  const std::string name = version ? TableFormatName(*version) : std::string();
  if (name.empty()) {
    return "The file is not a table the engine can open: " + std::string(reason) + ".";
  }
  return "The file is a " + name + " (version byte " + Hex(*version) +
         "), which the engine cannot open: " + std::string(reason) + ".";
}

MemoFormat MemoFormatFor(std::uint8_t version, MemoFormat preferred) {
  if (IsFoxProVersion(version)) return MemoFormat::kFpt;
  if ((version & 0x80) != 0) return MemoFormat::kDbt;  // dBase's "has a .DBT" bit
  return preferred;
}

std::size_t ClaimedHeaderLength(std::string_view prefix) {
  if (prefix.size() < kHeaderPrefixSize) return 0;
  return ReadLe(prefix, 8, 2);
}

std::optional<TableHeader> ParseTableHeader(std::string_view bytes, std::uint64_t file_size,
                                            std::string* refusal) {
  if (bytes.size() < kHeaderPrefixSize || file_size < kHeaderPrefixSize) {
    return Refused(refusal, "the file (" + std::to_string(file_size) +
                                " bytes) is shorter than a table header (32 bytes)");
  }
  TableHeader header;
  header.version = static_cast<std::uint8_t>(bytes[0]);
  if (IsDbase7(header.version)) {
    return Refused(refusal,
                   "dBase 7 lays out its header and its 48-byte field descriptors differently, "
                   "and the engine reads dBase III and IV, Clipper and FoxPro tables only");
  }
  if (!IsKnownVersion(header.version)) {
    return Refused(refusal, TableFormatName(header.version).empty()
                                ? "its version byte " + Hex(header.version) +
                                      " names no xBase table format the engine knows"
                                : "the engine reads dBase III and IV, Clipper and FoxPro "
                                  "tables only");
  }
  header.update_year = static_cast<std::uint8_t>(bytes[1]);
  header.update_month = static_cast<std::uint8_t>(bytes[2]);
  header.update_day = static_cast<std::uint8_t>(bytes[3]);
  header.record_count = ReadLe(bytes, 4, 4);
  header.header_length = static_cast<std::uint16_t>(ReadLe(bytes, 8, 2));
  header.record_length = static_cast<std::uint16_t>(ReadLe(bytes, 10, 2));
  header.is_encrypted = bytes[15] != 0;

  const std::size_t header_length = header.header_length;
  if (header.record_length == 0) return Refused(refusal, "its record length is 0");
  if (header_length < kHeaderPrefixSize) {
    return Refused(refusal,
                   "its header length (" + std::to_string(header_length) +
                       " bytes) is shorter than the 32 bytes before the field descriptors");
  }
  if (header_length > bytes.size() || header_length > file_size) {
    return Refused(refusal, "its header (" + std::to_string(header_length) +
                                " bytes) reaches past the end of the file (" +
                                std::to_string(file_size) + " bytes)");
  }

  std::size_t position = kHeaderPrefixSize;
  std::uint32_t offset = 1;  // after the delete marker
  bool is_terminated = false;
  while (position < header_length) {
    if (bytes[position] == kHeaderTerminator) {
      is_terminated = true;
      break;
    }
    const std::string number = std::to_string(header.fields.size() + 1);
    if (position + kFieldDescriptorSize > header_length) {
      return Refused(refusal,
                     "the 0x0D byte that ends the field descriptors is missing: its "
                     "header length (" +
                         std::to_string(header_length) +
                         " bytes) ends inside the descriptor of field " + number);
    }
    const std::string_view descriptor = bytes.substr(position, kFieldDescriptorSize);
    // A name of all 11 bytes has no room for its zero, and readers take it whole.
    const std::size_t name_length =
        std::min(descriptor.substr(0, kNameBytes).find('\0'), kNameBytes);
    if (name_length == 0) return Refused(refusal, "field " + number + " has no name");

    FieldDescriptor field;
    field.name = std::string(descriptor.substr(0, name_length));
    field.type = descriptor[11];
    field.width = static_cast<std::uint8_t>(descriptor[16]);
    field.decimals = static_cast<std::uint8_t>(descriptor[17]);
    if (field.type == 'C') {
      // Text has no decimals: Clipper and FoxPro keep the high byte of a
      // width beyond 255 there.
      field.width = static_cast<std::uint16_t>(ReadLe(descriptor, 16, 2));
      field.decimals = 0;
    }
    field.offset = offset;
    // A field of width 0 holds nothing and reads as empty, as in other readers.
    offset += field.width;
    if (offset > header.record_length) {
      return Refused(refusal, "the widths of the fields up to field " + number + " (" + field.name +
                                  ") add up to more than the record length (" +
                                  std::to_string(header.record_length) + " bytes)");
    }
    header.fields.push_back(std::move(field));
    position += kFieldDescriptorSize;
  }
  if (!is_terminated) {
    const std::string where = header.fields.empty() ? "before any field descriptor"
                                                    : "after the descriptor of field " +
                                                          std::to_string(header.fields.size());
    return Refused(refusal,
                   "the 0x0D byte that ends the field descriptors is missing: its "
                   "header length (" +
                       std::to_string(header_length) + " bytes) ends " + where);
  }
  if (header.fields.empty()) return Refused(refusal, "it has no fields");
  if (offset != header.record_length) {
    return Refused(refusal, "the field widths and the delete marker add up to " +
                                std::to_string(offset) + " bytes, the record length says " +
                                std::to_string(header.record_length));
  }

  // A count beyond the end of the file is what a crash during another
  // program's append leaves behind: the records that are there count.
  const std::uint64_t room = (file_size - header_length) / header.record_length;
  header.record_count =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(header.record_count, room));
  return header;
}

std::optional<TableHeader> NewTableHeader(std::vector<FieldDescriptor> fields,
                                          MemoFormat memo_format) {
  if (fields.empty() || fields.size() > kMaxNewFields) return std::nullopt;
  TableHeader header;
  std::uint32_t offset = 1;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    FieldDescriptor& field = fields[i];
    const std::string& name = field.name;
    if (name.empty() || name.size() > kMaxNameLength || !IsAsciiLetter(name[0])) {
      return std::nullopt;
    }
    if (!std::all_of(name.begin(), name.end(),
                     [](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_'; })) {
      return std::nullopt;
    }
    field.name = AsciiUpper(field.name);
    for (std::size_t j = 0; j < i; ++j) {
      if (fields[j].name == field.name) return std::nullopt;
    }
    field.type = AsciiUpper(field.type);
    const int width = NewFieldWidth(field.type, field.width, field.decimals);
    if (width == 0) return std::nullopt;
    field.width = static_cast<std::uint16_t>(width);
    if (field.type != 'N' && field.type != 'F') field.decimals = 0;
    field.offset = offset;
    offset += field.width;
  }
  if (offset > 0xFFFF) return std::nullopt;
  header.fields = std::move(fields);
  header.record_length = static_cast<std::uint16_t>(offset);
  header.header_length = static_cast<std::uint16_t>(
      kHeaderPrefixSize + kFieldDescriptorSize * header.fields.size() + 1);
  if (!header.HasMemoFields()) {
    header.version = kVersionPlain;
  } else {
    header.version = memo_format == MemoFormat::kFpt ? kVersionFoxProWithMemo : kVersionWithMemo;
  }
  return header;
}

std::string EncodeTableHeader(const TableHeader& header) {
  std::string bytes(header.header_length, '\0');
  bytes[0] = static_cast<char>(header.version);
  bytes[1] = static_cast<char>(header.update_year);
  bytes[2] = static_cast<char>(header.update_month);
  bytes[3] = static_cast<char>(header.update_day);
  WriteLe(&bytes[4], header.record_count, 4);
  WriteLe(&bytes[8], header.header_length, 2);
  WriteLe(&bytes[10], header.record_length, 2);
  std::size_t position = kHeaderPrefixSize;
  for (const FieldDescriptor& field : header.fields) {
    std::memcpy(&bytes[position], field.name.data(), std::min(field.name.size(), kMaxNameLength));
    bytes[position + 11] = field.type;
    bytes[position + 16] = static_cast<char>(field.width);
    bytes[position + 17] = static_cast<char>(field.decimals);
    position += kFieldDescriptorSize;
  }
  bytes[position] = kHeaderTerminator;
  return bytes;
}

}  // namespace cratemark::engine
