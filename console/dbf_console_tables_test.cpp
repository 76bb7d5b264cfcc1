// The console against real table files through the table component and the
// engine: the host's printer table on the Setup page and "Setup Tolvan
// Labels" on the host's label printer definition.
#include "console/dbf_console_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "console/formMain.h"
#include "platform/file_system.h"
#include "ui/headless/headless_toolkit.h"
#include "xbase/field_kind.h"

namespace cratemark {
namespace {

using ui::MessageAnswer;
using ui::headless::As;

void PutLe(std::string& bytes, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A dBase III table file as the host writes them.
std::string DbfBytes(const std::vector<TEngineField>& fields,
                     const std::vector<std::vector<std::string>>& records) {
  int record_size = 1;
  for (const TEngineField& field : fields) record_size += field.width;
  const int header_size = 32 + 32 * static_cast<int>(fields.size()) + 1;
  std::string bytes(32, '\0');
  bytes[0] = 0x03;
  bytes[1] = 126;
  bytes[2] = 1;
  bytes[3] = 1;
  PutLe(bytes, 4, static_cast<uint32_t>(records.size()), 4);
  PutLe(bytes, 8, header_size, 2);
  PutLe(bytes, 10, record_size, 2);
  for (const TEngineField& field : fields) {
    std::string descriptor(32, '\0');
    descriptor.replace(0, field.name.size(), field.name);
    descriptor[11] = field.letter;
    descriptor[16] = static_cast<char>(field.width);
    bytes += descriptor;
  }
  bytes += '\x0D';
  for (const auto& record : records) {
    bytes += ' ';
    for (size_t i = 0; i < fields.size(); ++i) {
      std::string value = record[i];
      value.resize(std::min<size_t>(value.size(), fields[i].width));
      std::string padding(fields[i].width - value.size(), ' ');
      bytes += fields[i].letter == 'N' ? padding + value : value + padding;
    }
  }
  bytes += '\x1A';
  return bytes;
}

// The text of one field of one record (from 0) as stored, blanks trimmed.
std::string StoredField(const std::string& bytes, int record, int field) {
  auto le = [&](size_t at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return value;
  };
  const uint32_t header_size = le(8, 2), record_size = le(10, 2);
  size_t offset = header_size + record * record_size + 1;
  for (int i = 0; i < field; ++i) offset += uint8_t(bytes[32 + 32 * i + 16]);
  std::string text = bytes.substr(offset, uint8_t(bytes[32 + 32 * field + 16]));
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

class ConsoleTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("cratemark-console-tables-" + std::to_string(random()));
    std::filesystem::create_directories(dir_);
    program_dir_ = dir_.string() + kPathSeparator;
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(dir_);
  }
  TfrmMain& Start() {
    form_ = std::make_unique<TfrmMain>(toolkit_, ConsoleContext{program_dir_, &tables_});
    return *form_;
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) {
    std::ifstream file(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  // A label printer definition with fields F1.. of the kinds the values
  // need (logical at 23, 32, 35, 38 and 39, numeric elsewhere), records of
  // 7s and Ts.
  void WriteDefinition(int field_count, int record_count) {
    auto is_logical = [](int i) { return i == 23 || i == 32 || i == 35 || i == 38 || i == 39; };
    std::vector<TEngineField> fields;
    for (int i = 1; i <= field_count; ++i) {
      fields.push_back({std::string("F").append(std::to_string(i)), is_logical(i) ? 'L' : 'N',
                        is_logical(i) ? 1 : 4});
    }
    std::vector<std::vector<std::string>> records(record_count);
    for (auto& record : records) {
      for (int i = 1; i <= field_count; ++i) record.push_back(is_logical(i) ? "T" : "7");
    }
    Write("LBLPRDEF.DBF", DbfBytes(fields, records));
  }
  std::string ClickSetupTolvanLabels() {
    toolkit_.ClearShownMessages();
    toolkit_.QueueAnswer(MessageAnswer::kYes);
    As(form_->btn).Click();
    return toolkit_.shown_messages().back().options.text;
  }

  std::filesystem::path dir_;
  std::string program_dir_;
  DbfConsoleTables tables_;
  ui::headless::HeadlessToolkit toolkit_;
  std::unique_ptr<TfrmMain> form_;
};

TEST_F(ConsoleTablesTest, SetupPageListsThePrintersOfTheHostsTable) {
  Write(
      "TolvanSpool.DBF",
      DbfBytes(
          {{"NAME", 'C', 10}, {"SUBDIR", 'C', 12}},
          {{"Kitchen", "KITCHEN"}, {"Labels", "Label1"}, {"Bar", "bar"}, {"Labels 2", "Label1"}}));
  Write("Cratemark.cfg", "SPLDirSource=kitchen\r\nSPLDirDest=LABEL1\r\n");
  TfrmMain& form = Start();
  As(form.pageMain).ClickPage("Setup");
  EXPECT_TRUE(toolkit_.shown_messages().empty());
  EXPECT_EQ(As(form.listPrnDest).items(),
            (std::vector<std::string>{"bar", "KITCHEN", "Label1", "Label1"}));
  EXPECT_EQ(form.listPrnSource->Selected(), 1);
  EXPECT_EQ(form.listPrnDest->Selected(), 2);
  EXPECT_EQ(form.listPrnBackup->Selected(), ui::ListBox::kNoSelection);
}

TEST_F(ConsoleTablesTest, SetupPageWithoutThePrinterTableShowsTheErrorBox) {
  TfrmMain& form = Start();
  As(form.pageMain).ClickPage("Setup");
  ASSERT_EQ(toolkit_.shown_messages().size(), 1u);
  EXPECT_EQ(toolkit_.shown_messages()[0].options.icon, ui::MessageIcon::kError);
  EXPECT_EQ(form.listPrnSource->Count(), 0);
}

TEST_F(ConsoleTablesTest, SetupTolvanLabelsOnRealTables) {
  Start();
  // Without the table: the one failure message, and no table file made.
  const std::string table_path = program_dir_ + "LBLPRDEF.DBF";
  EXPECT_EQ(ClickSetupTolvanLabels(),
            "Failed to set values. Run REBASER\r\n\r\n"
            "Table, file or directory does not exist.\r\nFile: " +
                table_path);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "LBLPRDEF.DBF"));

  // 38 fields: nothing written.
  WriteDefinition(38, 1);
  const std::string before = Read("LBLPRDEF.DBF");
  EXPECT_EQ(ClickSetupTolvanLabels(),
            "Failed to set values. Run REBASER\r\n\r\n"
            "Argument out of range: 39 values for the 38 fields of table " +
                table_path);
  EXPECT_EQ(Read("LBLPRDEF.DBF"), before);

  WriteDefinition(45, 2);
  EXPECT_EQ(ClickSetupTolvanLabels(), "Changes applied");
  std::string after = Read("LBLPRDEF.DBF");
  EXPECT_EQ(StoredField(after, 0, 0), "99");
  EXPECT_EQ(StoredField(after, 0, 2), "120");
  EXPECT_EQ(StoredField(after, 0, 22), "F");
  EXPECT_EQ(StoredField(after, 0, 36), "0");
  EXPECT_EQ(StoredField(after, 0, 37), "F");
  EXPECT_EQ(StoredField(after, 0, 38), "F");
  EXPECT_EQ(StoredField(after, 0, 39), "7");
  EXPECT_EQ(StoredField(after, 0, 44), "7");
  EXPECT_EQ(StoredField(after, 1, 0), "7");
  EXPECT_EQ(ClickSetupTolvanLabels(), "Changes applied");
  EXPECT_EQ(Read("LBLPRDEF.DBF"), after);  // twice is the same as once

  WriteDefinition(39, 0);
  EXPECT_EQ(ClickSetupTolvanLabels(), "Changes applied");
  after = Read("LBLPRDEF.DBF");
  EXPECT_EQ(StoredField(after, 0, 1), "21");
}

}  // namespace
}  // namespace cratemark
