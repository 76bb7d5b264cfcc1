// What the console tells the user, beside its window, of what the service
// did: the news in the files it already reads (the status code, the alert
// lines of the activity log, how many orders wait in "Unprinted"). Each
// piece of news is told once, until what it tells of changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/status_display.h"

namespace cratemark {

enum class NewsKind { kStatus, kBackup, kStopped, kCleared, kUnprinted };

struct News {
  NewsKind kind;
  std::string title;
  std::string text;
  bool operator==(const News&) const = default;
};

// The not-running code comes from a log that cannot be read; the service
// may hold it for a moment while it writes, so it is told only once it
// lasts this many ticks in a row.
inline constexpr int kNotRunningTicksBeforeNews = 4;

class ServiceNews {
 public:
  // The status code a tick read (kStatusServiceNotRunning when the log could
  // not be read). A non-zero code is news when it differs from the last one
  // told; 0 forgets it.
  void SeeStatus(std::int16_t code, const PrinterNames& printers);

  // Log text a tick read: `appended` lines the log gained, or else its whole
  // text. In the whole text only the end counts: a condition the log leaves
  // standing ("! Alert backup" or "stopped" with no "cleared" after it) is
  // news unless already told. In appended lines every raise of a condition
  // not yet told is news, and a "cleared" of one that was told. A "cleared"
  // ends only the conditions it names.
  void SeeLog(std::string_view text, bool appended);

  // How many orders wait in "Unprinted": news when there are more than the
  // last count (also the first count, when it is not 0), or when the log told
  // of an order kept there since the last count.
  void SeeUnprinted(std::size_t count);
  // The log told of an order kept in "Unprinted" since the last count.
  bool OrderKept() const { return order_kept_; }

  // The news since the last call, at most one piece of each kind (the
  // latest), oldest kind first; empty when there is none.
  std::vector<News> TakeNews();

 private:
  struct Condition {
    bool told = false;  // its raise was told, and no clearing of it since
  };
  Condition* ConditionOf(std::string_view kind);
  void TellRaise(Condition& condition, std::string_view message);
  void SeeAppendedLog(std::string_view text);
  void SeeWholeLog(std::string_view text);
  void Tell(NewsKind kind, std::string title, std::string text);

  std::int16_t told_status_ = 0;
  int not_running_ticks_ = 0;
  Condition backup_, stopped_;
  std::size_t unprinted_ = 0;
  bool order_kept_ = false;
  std::vector<News> news_;
};

// One piece for a front end that shows one at a time: the only one as it
// is, several under one title with their texts one a line.
News CombinedNews(const std::vector<News>& news);

}  // namespace cratemark
