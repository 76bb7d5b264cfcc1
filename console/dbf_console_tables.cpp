#include "console/dbf_console_tables.h"

#include "xbase/DbfTable.h"

namespace cratemark {

namespace {

class DbfConsoleTable : public ConsoleTable {
 public:
  DbfConsoleTable(std::string_view component_name, std::string_view directory,
                  std::string_view table_name, bool read_only)
      : table_(std::string(component_name)) {
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
  void Next() override { table_.Next(); }
  std::string FieldText(std::string_view field_name) override {
    return table_.FieldByName(std::string(field_name)).AsString();
  }
  void Edit() override { table_.Edit(); }
  void SetFields(const std::vector<TypedValue>& values) override {
    std::vector<TDbfValue> dbf_values;
    for (const TypedValue& value : values) {
      dbf_values.push_back(value.kind == TypedValue::Kind::kInteger
                               ? TDbfValue::Integer(value.integer)
                               : TDbfValue::Boolean(value.logical));
    }
    table_.SetFields(dbf_values);
  }
  void Post() override { table_.Post(); }
  void Cancel() override { table_.Cancel(); }
  bool IsEditing() const override {
    return table_.State() == TDataSetState::dsEdit || table_.State() == TDataSetState::dsInsert;
  }

 private:
  TDbfTable table_;
};

}  // namespace

std::unique_ptr<ConsoleTable> DbfConsoleTables::MakeTable(std::string_view component_name,
                                                          std::string_view directory,
                                                          std::string_view table_name,
                                                          bool read_only) {
  return std::make_unique<DbfConsoleTable>(component_name, directory, table_name, read_only);
}

}  // namespace cratemark
