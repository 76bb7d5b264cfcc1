// Whole text files: read with byte-order-mark detection, written whole with
// CR LF line ends. Built on file_system.h and code_page.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace cratemark {

enum class TextEncoding {
  kAnsi,     // the ANSI code page, no byte-order mark
  kUtf8,     // UTF-8 with its mark
  kUtf16LE,  // UTF-16 little-endian with its mark
  kUtf16BE,  // UTF-16 big-endian with its mark
};

using Lines = std::vector<std::string>;

struct TextFileContent {
  Lines lines;
  TextEncoding encoding = TextEncoding::kAnsi;
};

// Decodes file bytes: a byte-order mark selects the decoding and is dropped,
// otherwise the ANSI code page.
std::string DecodeText(std::string_view bytes, TextEncoding* encoding = nullptr);

// Encodes UTF-8 text in `encoding`, with the encoding's mark if it has one.
std::string EncodeText(std::string_view text, TextEncoding encoding);

// Splits at CR LF, lone CR and lone LF; a final line break gives no empty last line.
Lines SplitLines(std::string_view text);

// The lines joined, each followed by CR LF.
std::string JoinLines(const Lines& lines);

// Reads a whole file into lines. Throws Error ("Cannot open file ...").
TextFileContent ReadTextFile(FileSystem& fs, std::string_view path);

// Writes every line followed by CR LF. Throws Error ("Cannot create file ...").
void WriteTextFile(FileSystem& fs, std::string_view path, const Lines& lines,
                   TextEncoding encoding = TextEncoding::kAnsi);

// Writes `text` exactly as given (no line break added).
void WriteTextFileExact(FileSystem& fs, std::string_view path, std::string_view text,
                        TextEncoding encoding);

}  // namespace cratemark
