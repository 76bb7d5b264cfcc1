// The table operations the console uses on the host's tables, behind a small
// interface so that the window logic does not depend on how tables are read.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark {

// A value for SetFields: an integer or a logical.
struct TypedValue {
  enum class Kind { kInteger, kLogical };
  Kind kind = Kind::kInteger;
  int integer = 0;
  bool logical = false;

  static TypedValue Integer(int value) { return {Kind::kInteger, value, false}; }
  static TypedValue Logical(bool value) { return {Kind::kLogical, 0, value}; }
};

// One table file. Every operation throws an exception whose what() is the
// message to show.
class ConsoleTable {
 public:
  virtual ~ConsoleTable() = default;
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual bool Eof() = 0;
  virtual void Next() = 0;
  // The field's value as text; a null value reads as the empty text.
  virtual std::string FieldText(std::string_view field_name) = 0;
  // Edit takes the record lock (or starts a new record in an empty table);
  // Post writes it; Cancel drops the edit and releases the lock.
  virtual void Edit() = 0;
  virtual void SetFields(const std::vector<TypedValue>& values) = 0;
  virtual void Post() = 0;
  virtual void Cancel() = 0;
  virtual bool IsEditing() const = 0;
};

class ConsoleTables {
 public:
  virtual ~ConsoleTables() = default;
  // A closed table `table_name` in `directory` (`ProgramDir`); messages name
  // it by `component_name` ("tblTolvanSpool").
  virtual std::unique_ptr<ConsoleTable> MakeTable(std::string_view component_name,
                                                  std::string_view directory,
                                                  std::string_view table_name, bool read_only) = 0;
};

}  // namespace cratemark
