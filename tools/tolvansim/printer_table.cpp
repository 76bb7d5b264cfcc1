#include "tools/tolvansim/printer_table.h"

#include <algorithm>
#include <vector>

#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "shared/host_files.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"

namespace cratemark::tolvansim {

void CreatePrinterTable(const std::string& program_dir, const std::vector<std::string>& printers) {
  DeleteFileAt(program_dir + std::string(kPrinterTableFileName));
  TDbfTable table("tblTolvanSpool");
  table.SetTableName(std::string(kPrinterTableFileName));
  table.SetTableType(ttXBNTX);
  table.SetDatabaseName(program_dir);
  table.AddField("SubDir", TFieldKind::kText, 40);
  table.CreateTable();
  table.Open();

  // Records are written straight through the engine: the raw record holds
  // the deletion marker, then each field at its offset, blank-padded.
  TXbEngine& engine = XbEngineBinding().Engine();
  const TFieldInfo& field = table.LFieldOffsets().at(0);
  for (const std::string& printer : printers) {
    engine.xb_Select(table.WorkArea());
    engine.xb_AppendBlank();
    std::vector<char> record(static_cast<std::size_t>(engine.xb_RecSize()), ' ');
    engine.xb_GetRecord(record.data());
    const std::string ansi = Utf8ToAnsi(printer);
    std::fill_n(record.begin() + field.EngineOffset, field.Width, ' ');
    std::copy_n(ansi.begin(), std::min<std::size_t>(ansi.size(), field.Width),
                record.begin() + field.EngineOffset);
    engine.xb_PutRecord(record.data());
    engine.xb_Commit();
    CreateDirectories(program_dir + printer);
  }
  table.Close();
}

}  // namespace cratemark::tolvansim
