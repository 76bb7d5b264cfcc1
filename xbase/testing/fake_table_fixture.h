// A test fixture: tables in the in-memory engine (with a placeholder file on
// disk, because the component checks that the table file exists), every
// engine call recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "xbase/DbfTable.h"
#include "xbase/testing/fake_xb_engine.h"
#include "xbase/testing/recording_xb_engine.h"

namespace cratemark {

class FakeTableFixture : public ::testing::Test {
 protected:
  FakeTableFixture() : recorder_(fake_), replacement_(recorder_) {}

  // Adds `file_name` ("ITEMS.DBF") and configures `table` on it, not open.
  void AddTable(TDbfTable& table, const std::string& file_name, const FakeTable& contents) {
    WriteWholeFile(dir_.path() + file_name, "");
    fake_.tables[dir_.path() + file_name] = contents;
    table.SetTableType(ttXBNTX);
    table.SetDatabaseName(dir_.path());
    table.SetTableName(file_name);
  }
  // The records of `file_name` as the engine holds them.
  std::vector<std::string>& Records(const std::string& file_name) {
    return fake_.tables[dir_.path() + file_name].records;
  }

  ScopedTempDir dir_;
  FakeXbEngine fake_;
  RecordingXbEngine recorder_;
  ScopedEngineReplacement replacement_;
};

}  // namespace cratemark
