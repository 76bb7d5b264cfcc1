// Pure rules about table names, aliases and field types, kept apart from the
// table object so that they can be tested by tables of cases.
//
// Names may use "\" or "/" between directory and file on every platform; a
// drive prefix "X:" also ends a directory part.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "xbase/DbfCommon.h"

namespace cratemark {

bool IsPathSeparator(char c);                      // "\" or "/"
std::string FileNamePart(std::string_view name);   // "C:\POS\LOCKSPL.DBF" -> "LOCKSPL.DBF"
std::string DirectoryPart(std::string_view name);  // "C:\POS\LOCKSPL.DBF" -> "C:\POS\"
bool HasExtension(std::string_view file_name);     // any "." in the file name
std::string WithDefaultExtension(std::string_view file_name);  // adds ".DBF" when none

// First candidate alias for a file name part: upper-cased (a-z only), cut
// before its first ".", at most 8 characters, every character but A-Z as "_".
std::string AliasBase(std::string_view file_name);

// The candidate after `alias` when `alias` is taken: its first 8 - digits(n)
// characters followed by n.
std::string NextAliasCandidate(std::string_view alias, int n);

// Kind of a field discovered in a table, from the engine's type text and the
// field's width and decimals; nullopt when the letter has no definition.
std::optional<TFieldKind> KindForTypeText(std::string_view type, int width, int decimals);

// How a field of a kind is created in a table file.
struct TEngineFieldSpec {
  char letter = 'C';
  int width = 0;
  int decimals = 0;
};
// nullopt for kinds that table creation does not support. `size` is the
// field's size (text width).
std::optional<TEngineFieldSpec> EngineFieldSpecFor(TFieldKind kind, int size);

// "0" or "0." plus one "0" per decimal: display pattern of float fields.
std::string FloatDisplayPattern(int decimals);

}  // namespace cratemark
