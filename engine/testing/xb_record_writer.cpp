// Test helper: plays another program that changes a record the way xBase
// programs do: opens the table shared, locks the record, writes its first
// field, unlocks and ends. Answers "written" or "refused" (the lock could not
// be taken) on standard output.
//
//   xb_record_writer <table> <record> <text>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/xbengine.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: xb_record_writer <table> <record> <text>\n", stderr);
    return 2;
  }
  const int32_t record = std::atoi(argv[2]);
  const std::string text = argv[3];
  const char* answer = "refused";
  if (xb_UseEx(argv[1], "WRITER", XB_OPEN_SHARED, 1, 1) >= 1 && xb_Rlock(record)) {
    xb_Go(record);
    std::string bytes(static_cast<std::size_t>(xb_RecSize()), ' ');
    xb_GetRecord(bytes.data());
    const std::size_t offset = static_cast<std::size_t>(xb_FieldOffset(xb_FieldName(1)) - 1);
    const std::size_t width = static_cast<std::size_t>(xb_FieldWidth(xb_FieldName(1)));
    bytes.replace(offset, width, (text + std::string(width, ' ')).substr(0, width));
    if (xb_PutRecord(bytes.c_str())) answer = "written";
    xb_Unlock(0);
    xb_Close();
  }
  std::printf("%s\n", answer);
  std::fflush(stdout);
  return 0;
}
