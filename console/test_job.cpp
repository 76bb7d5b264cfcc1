// The test print's sample job and where it goes.
#include "console/test_job.h"

#include <cstdio>

namespace cratemark {

std::string TestJobTime(const LocalTime& time, std::string_view morning,
                        std::string_view afternoon) {
  int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d:%02d ", hour12, time.second);
  return digits + std::string(time.hour < 12 ? morning : afternoon);
}

Lines BuildTestJobLines(const LocalTime& time, std::string_view morning,
                        std::string_view afternoon) {
  Lines lines = {"Customer Name",
                 "*** Revenue Center ***",
                 "Employee Name (Number)",
                 "Trans. Desc.",
                 "Total:12345.67",
                 "Time: " + TestJobTime(time, morning, afternoon),
                 "99 of 99 Labels",
                 "Address Line 1 Looooooooong",
                 "City and Town",
                 "202-111-2222",
                 "Map: G3"};
  for (int i = 0; i < 5; ++i) lines.push_back("Directions Line 1");
  lines.resize(25);
  lines.push_back("99 Item Name Goes Here");
  for (int i = 1; i <= 10; ++i) lines.push_back("Mod Line " + std::to_string(i));
  lines.resize(100);
  return lines;
}

std::string TestJobPath(std::string_view program_dir, std::string_view spl_dir) {
  return std::string(program_dir) + std::string(spl_dir) + "\\" + kTestJobFileName;
}

}  // namespace cratemark
