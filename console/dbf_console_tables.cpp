#include "console/dbf_console_tables.h"

#include "platform/error.h"
#include "xbase/DbfTable.h"

namespace cratemark {

namespace {

class DbfConsoleTable : public ConsoleTable {
 public:
  DbfConsoleTable(std::string_view directory, std::string_view table_name, bool read_only) {
    table_.SetTableType(ttXBNTX);
    table_.SetOEMTranslate(false);
    table_.SetSequenced(false);
    table_.SetReadOnly(read_only);
    table_.SetDatabaseName(std::string(directory));
    table_.SetTableName(std::string(table_name));
  }
  void Open() override { table_.Open(); }
  void Close() override { table_.Close(); }
  bool IsOpen() const override { return table_.Active(); }
  bool Eof() override { return table_.Eof(); }
  // Record navigation and editing come with the table component's next
  // steps; until then these report that they are missing.
  void Next() override { Missing("Next"); }
  std::string FieldText(std::string_view) override { Missing("FieldByName"); }
  void Edit() override { Missing("Edit"); }
  void SetFields(const std::vector<TypedValue>&) override { Missing("SetFields"); }
  void Post() override { Missing("Post"); }
  void Cancel() override {}
  bool IsEditing() const override { return false; }

 private:
  [[noreturn]] static void Missing(const char* operation) {
    throw Error(ErrorKind::kOther,
                std::string("Table operation ") + operation + " is not available in this build");
  }
  TDbfTable table_;
};

}  // namespace

std::unique_ptr<ConsoleTable> DbfConsoleTables::MakeTable(std::string_view directory,
                                                          std::string_view table_name,
                                                          bool read_only) {
  return std::make_unique<DbfConsoleTable>(directory, table_name, read_only);
}

}  // namespace cratemark
