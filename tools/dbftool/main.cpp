// dbftool: create, list and lock xBase tables through the table component.
//
//   dbftool create <table> NAME:C:10 QTY:N:5:0 OK:L ...   exact widths; L, D, M need none
//   dbftool list <table>                               structure, then records
//   dbftool lock <table> [--exclusive | --record <n>] [--until <file>]
//       opens the table (read-only, or exclusive; shared for --record), takes
//       its file lock (or the lock of record n), prints "locked" (or "not
//       locked" and ends with 1), then holds it until <file> exists, or
//       without --until until standard input closes.
// The engine library must sit beside the program.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "tools/split_at.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_kind.h"

namespace cratemark {
namespace {

int Usage() {
  std::cerr << "usage: dbftool create <table> NAME:TYPE[:WIDTH[:DECIMALS]] ...\n"
               "       dbftool list <table>\n"
               "       dbftool lock <table> [--exclusive | --record <n>] [--until <file>]\n";
  return 2;
}

// A field given as NAME:TYPE[:WIDTH[:DECIMALS]].
TEngineField ParseField(const std::string& text) {
  std::vector<std::string> parts = tools::SplitAt(text, ':');
  if (parts.size() < 2 || parts.size() > 4 || parts[0].empty() || parts[1].size() != 1) {
    throw std::runtime_error("bad field: " + text);
  }
  TEngineField field{parts[0], parts[1][0]};
  try {
    // Left out, the width is 0: the engine gives L, D and M their fixed widths.
    field.width = parts.size() > 2 ? std::stoi(parts[2]) : 0;
    field.decimals = parts.size() > 3 ? std::stoi(parts[3]) : 0;
  } catch (const std::logic_error&) {
    throw std::runtime_error("bad field: " + text);
  }
  if (!KindForTypeText(parts[1], field.width, field.decimals)) {
    throw std::runtime_error("unknown field type: " + text);
  }
  return field;
}

// Creates the table with exactly the widths listed (the component's own
// CreateTable would give every number its standard width), under the
// component's full name and alias rules.
int Create(const std::string& file, const std::vector<std::string>& specs) {
  std::vector<TEngineField> fields;
  for (const std::string& text : specs) fields.push_back(ParseField(text));
  if (fields.empty()) throw std::runtime_error("no fields listed");

  TDbfTable table("dbftool");
  table.SetTableName(file);
  const std::string path = table.GetFullTableName();
  TXbEngine& engine = XbEngineBinding().Engine();
  const std::string ansi_path = Utf8ToAnsi(path);
  const int16_t area = engine.xb_CreateNew(ansi_path.c_str(), "DBFTOOL", ttXBNTX,
                                           static_cast<int16_t>(fields.size()));
  if (area < 0) {
    throw std::runtime_error("cannot create " + path + " (another program may have it open)");
  }
  bool accepted = true;
  for (const TEngineField& field : fields) {
    const std::string ansi_name = Utf8ToAnsi(field.name);
    const char letter[] = {field.letter, '\0'};
    if (engine.xb_CreateField(ansi_name.c_str(), letter, static_cast<int16_t>(field.width),
                              static_cast<int16_t>(field.decimals)) == 0) {
      std::cerr << "dbftool: field refused: " << field.name << ':' << field.letter << ':'
                << field.width << ':' << field.decimals << '\n';
      accepted = false;
    }
  }
  const bool created = accepted && engine.xb_CreateExec() != 0;
  engine.xb_Select(area);
  engine.xb_Close();
  if (!created) throw std::runtime_error("cannot create " + path);
  return 0;
}

int List(const std::string& file) {
  TDbfTable table("dbftool");
  table.SetTableName(file);
  table.SetReadOnly(true);
  table.Open();
  const std::vector<TFieldInfo>& fields = table.LFieldOffsets();
  for (const TFieldInfo& field : fields) {
    std::cout << field.Name << ' ' << field.Type << ' ' << field.Width << ' ' << field.Decimals
              << '\n';
  }
  // Records as the engine stores them, one line each.
  TXbEngine& engine = XbEngineBinding().Engine();
  engine.xb_Select(table.WorkArea());
  int32_t count = engine.xb_RecCount();
  std::vector<char> record(table.LEngineRecordBuffer().size() + 1, '\0');
  for (int32_t number = 1; number <= count; ++number) {
    engine.xb_Go(number);
    engine.xb_GetRecord(record.data());
    std::cout << number << ": " << AnsiToUtf8(std::string(record.data(), record.size() - 1))
              << '\n';
  }
  table.Close();
  return 0;
}

int Lock(const std::string& file, bool exclusive, int32_t record, const std::string& until) {
  TDbfTable table("dbftool");
  table.SetTableName(file);
  table.SetReadOnly(!exclusive && record == 0);
  table.SetExclusive(exclusive);
  table.Open();
  bool locked = false;
  if (record > 0) {
    TXbEngine& engine = XbEngineBinding().Engine();
    engine.xb_Select(table.WorkArea());
    locked = engine.xb_Rlock(record) != 0;
  } else {
    locked = table.FLock() != 0;
  }
  if (!locked) {
    std::cout << "not locked" << std::endl;
    return 1;
  }
  std::cout << "locked" << std::endl;
  if (until.empty()) {
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
  } else {
    while (!FileExists(until)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  table.Close();
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage();
  if (!EnsureEngineLoaded()) {
    std::cerr << "dbftool: cannot load " << kXbEngineFileName << '\n';
    return 1;
  }
  const std::string& command = args[0];
  const std::string& file = args[1];
  if (command == "create") return Create(file, {args.begin() + 2, args.end()});
  if (command == "list" && args.size() == 2) return List(file);
  if (command == "lock") {
    bool exclusive = false;
    int32_t record = 0;
    std::string until;
    for (size_t i = 2; i < args.size(); ++i) {
      if (args[i] == "--exclusive") {
        exclusive = true;
      } else if (args[i] == "--record" && i + 1 < args.size()) {
        record = std::stoi(args[++i]);
      } else if (args[i] == "--until" && i + 1 < args.size()) {
        until = args[++i];
      } else {
        return Usage();
      }
    }
    return Lock(file, exclusive, record, until);
  }
  return Usage();
}

}  // namespace
}  // namespace cratemark

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return cratemark::Run(args);
  } catch (const std::exception& error) {
    // Messages break their lines with a lone carriage return.
    std::string message = error.what();
    for (char& c : message) {
      if (c == '\r') c = '\n';
    }
    std::cerr << "dbftool: " << message << '\n';
    return 1;
  }
}
