// Walking 1,000,000 records and reading one text field: our engine through
// its C interface (shared open, as the programs open the host's tables)
// against two peers on the same file in the same run: shapelib's C API
// (DBFReadStringAttribute) and python3-dbfread (iterating the table without
// loading it, reading the field of every record).
#include <shapefil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/bench_util.h"
#include "engine/xbengine.h"
#include "platform/scoped_temp_dir.h"

using namespace cratemark;
using namespace cratemark::bench;

namespace {

constexpr int kRecords = 1000000;

// The table's header through the engine, its records written in one go (an
// append through the interface per record would take longer than the walk).
std::string CreateTable(const ScopedTempDir& dir) {
  const std::string path = dir.path() + "WALK.DBF";
  const int16_t area = xb_CreateNew(path.c_str(), "WALK", 1, 3);
  xb_CreateField("NAME", "C", 20, 0);
  xb_CreateField("SUBDIR", "C", 40, 0);
  xb_CreateField("QTY", "N", 5, 0);
  xb_CreateExec();
  xb_Select(area);
  const int record_size = xb_RecSize();
  xb_Close();

  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  char header[32];
  file.read(header, sizeof header);
  const int header_length =
      static_cast<unsigned char>(header[8]) | static_cast<unsigned char>(header[9]) << 8;
  std::string records;
  records.reserve(static_cast<std::size_t>(record_size) * kRecords + 1);
  for (int i = 0; i < kRecords; ++i) {
    std::string record(static_cast<std::size_t>(record_size), ' ');
    const std::string name = "Printer " + std::to_string(i);
    record.replace(1, name.size(), name);
    record.replace(21, 6, "Label1");
    record.replace(61, 5, "    1");
    records += record;
  }
  records += '\x1A';
  file.seekp(header_length);
  file.write(records.data(), static_cast<std::streamsize>(records.size()));
  file.seekp(4);
  for (int shift = 0; shift < 32; shift += 8) file.put(static_cast<char>(kRecords >> shift));
  return path;
}

double WalkEngine(const std::string& path, long* total) {
  const auto start = Clock::now();
  const int16_t area = xb_UseEx(path.c_str(), "WALK", XB_OPEN_SHARED, 1, 1);
  if (area < 1) return -1;
  const int offset = xb_FieldOffset("NAME") - 1;
  const int width = xb_FieldWidth("NAME");
  std::string record(static_cast<std::size_t>(xb_RecSize()), '\0');
  long count = 0;
  for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) {
    xb_GetRecord(record.data());
    std::string name =
        record.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(width));
    name.erase(name.find_last_not_of(' ') + 1);
    count += static_cast<long>(name.size());
  }
  xb_Close();
  *total = count;
  return SecondsSince(start);
}

double WalkShapelib(const std::string& path, long* total) {
  const auto start = Clock::now();
  DBFHandle table = DBFOpen(path.c_str(), "rb");
  if (!table) return -1;
  const int field = DBFGetFieldIndex(table, "NAME");
  const int records = DBFGetRecordCount(table);
  long count = 0;
  for (int i = 0; i < records; ++i) {
    std::string name = DBFReadStringAttribute(table, i, field);
    count += static_cast<long>(name.size());
  }
  DBFClose(table);
  *total = count;
  return SecondsSince(start);
}

// dbfread times itself, so the interpreter's start is not counted.
double WalkDbfread(const std::string& path) {
  const std::string script =
      "import sys, time\n"
      "from dbfread import DBF\n"
      "start = time.perf_counter()\n"
      "n = 0\n"
      "for record in DBF(sys.argv[1], load=False, raw=False):\n"
      "    n += len(record['NAME'])\n"
      "print(time.perf_counter() - start)\n";
  const std::string script_path = path + ".py";
  std::ofstream(script_path) << script;
  // Debian's interpreter, where Debian's python3-dbfread lives.
  const std::string python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
  FILE* pipe = popen((python + " " + script_path + " " + path).c_str(), "r");
  if (!pipe) return -1;
  double seconds = -1;
  if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
  pclose(pipe);
  return seconds;
}

}  // namespace

int main() {
  ScopedTempDir dir;
  const std::string path = CreateTable(dir);
  long engine_total = 0, shapelib_total = 0;
  // Best of three for each native walk (the first warms the page cache).
  double engine = 1e9, shapelib = 1e9;
  for (int run = 0; run < 3; ++run) {
    engine = std::min(engine, WalkEngine(path, &engine_total));
    shapelib = std::min(shapelib, WalkShapelib(path, &shapelib_total));
  }
  const double dbfread = WalkDbfread(path);
  std::printf("Walking %d records, reading one text field\n", kRecords);
  PrintFigure("our engine", engine, "s");
  PrintFigure("shapelib C API", shapelib, "s");
  PrintFigure("python3-dbfread", dbfread, "s");
  if (engine_total != shapelib_total) std::printf("  (the walks read different texts!)\n");
  const bool vs_shapelib =
      PrintRatio("shapelib / engine (speed-up)", shapelib / engine, 1.0, false);
  const bool vs_dbfread = PrintRatio("dbfread / engine (speed-up)", dbfread / engine, 10.0, false);
  return vs_shapelib && vs_dbfread ? 0 : 1;
}
