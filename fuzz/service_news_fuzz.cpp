// libFuzzer target: arbitrary bytes as the activity log the console reads,
// split into a whole read and appended pieces, fed to the news decision with
// a status and a count of Unprinted taken from the bytes. Nothing may crash,
// one tick tells at most one piece of each kind, and reading the same whole
// log again tells nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "console/service_news.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const PrinterNames printers{"PreLabel", "Label1", "Label2"};
  ServiceNews news;
  const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
  const std::string_view whole = bytes.substr(0, split);
  news.SeeLog(whole, /*appended=*/false);
  news.TakeNews();
  news.SeeLog(whole, /*appended=*/false);
  if (!news.TakeNews().empty()) std::abort();
  for (std::size_t at = split; at < size;) {
    const std::size_t length = 1 + data[at] % 64;
    news.SeeLog(bytes.substr(at, length), /*appended=*/true);
    news.SeeStatus(static_cast<std::int16_t>(data[at] % 12), printers);
    news.SeeUnprinted(data[at] % 3);
    const std::vector<News> told = news.TakeNews();
    for (std::size_t i = 1; i < told.size(); ++i) {
      if (told[i - 1].kind >= told[i].kind) std::abort();
    }
    CombinedNews(told);
    at += length;
  }
  return 0;
}
