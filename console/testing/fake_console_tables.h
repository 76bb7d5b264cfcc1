// In-memory host tables for the console's tests: text fields by position,
// records as rows, and a count of what is open and locked.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/console_table.h"

namespace cratemark::testing {

struct FakeTableData {
  std::vector<std::string> fields;
  std::vector<std::vector<std::string>> records;
  bool record_locked_by_host = false;
  std::string open_error = {};  // when set, Open fails with this text
};

class FakeConsoleTables : public ConsoleTables {
 public:
  std::map<std::string, FakeTableData> tables;  // by table name
  int opens = 0;
  int open_now = 0;
  int locks_held = 0;

  std::unique_ptr<ConsoleTable> MakeTable(std::string_view, std::string_view,
                                          std::string_view table_name, bool) override;
};

class FakeConsoleTable : public ConsoleTable {
 public:
  FakeConsoleTable(FakeConsoleTables& owner, std::string name) : owner_(owner), name_(name) {}
  // Counts stay as left on destruction, so a test sees what was not closed.
  void Open() override {
    auto at = owner_.tables.find(name_);
    if (at == owner_.tables.end()) throw std::runtime_error("Table " + name_ + " does not exist");
    if (!at->second.open_error.empty()) throw std::runtime_error(at->second.open_error);
    data_ = &at->second;
    open_ = true;
    row_ = 0;
    ++owner_.opens;
    ++owner_.open_now;
  }
  void Close() override {
    if (!open_) return;
    if (editing_) Cancel();
    open_ = false;
    --owner_.open_now;
  }
  bool IsOpen() const override { return open_; }
  bool Eof() override { return row_ >= data_->records.size(); }
  void Next() override { ++row_; }
  std::string FieldText(std::string_view field_name) override {
    for (size_t i = 0; i < data_->fields.size(); ++i) {
      if (data_->fields[i] == field_name) return data_->records.at(row_)[i];
    }
    throw std::runtime_error("Field '" + std::string(field_name) + "' not found");
  }
  void Edit() override {
    if (data_->record_locked_by_host) throw std::runtime_error("Record locked by another user");
    buffer_ =
        data_->records.empty() ? std::vector<std::string>(data_->fields.size()) : data_->records[0];
    editing_ = true;
    ++owner_.locks_held;
  }
  void SetFields(const std::vector<TypedValue>& values) override {
    for (size_t i = 0; i < values.size(); ++i) {
      if (i >= buffer_.size()) throw std::runtime_error("Field index out of range");
      buffer_[i] = values[i].kind == TypedValue::Kind::kInteger ? std::to_string(values[i].integer)
                                                                : (values[i].logical ? "T" : "F");
    }
  }
  void Post() override {
    if (data_->records.empty()) {
      data_->records.push_back(buffer_);
    } else {
      data_->records[0] = buffer_;
    }
    editing_ = false;
    --owner_.locks_held;
  }
  void Cancel() override {
    if (!editing_) return;
    editing_ = false;
    --owner_.locks_held;
  }
  bool IsEditing() const override { return editing_; }

 private:
  FakeConsoleTables& owner_;
  std::string name_;
  FakeTableData* data_ = nullptr;
  bool open_ = false;
  bool editing_ = false;
  size_t row_ = 0;
  std::vector<std::string> buffer_;
};

inline std::unique_ptr<ConsoleTable> FakeConsoleTables::MakeTable(std::string_view,
                                                                  std::string_view,
                                                                  std::string_view table_name,
                                                                  bool) {
  return std::make_unique<FakeConsoleTable>(*this, std::string(table_name));
}

}  // namespace cratemark::testing
