#include "console/history_view.h"

#include <cstddef>

#include "shared/order_job.h"

namespace cratemark {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;
// Items shown in a row before "...": the labels list has them all.
constexpr std::size_t kRowItems = 4;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

LocalTime CivilFromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  LocalTime time;
  time.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  time.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  time.year = static_cast<int>(yoe + era * 400 + (time.month <= 2));
  time.hour = static_cast<int>(rest / 3600);
  time.minute = static_cast<int>(rest / 60 % 60);
  time.second = static_cast<int>(rest % 60);
  return time;
}

std::int64_t SecondsOf(const LocalTime& time) {
  return DaysFromCivil(time.year, time.month, time.day) * kSecondsPerDay + time.hour * 3600 +
         time.minute * 60 + time.second;
}

std::int64_t FloorSeconds(std::int64_t ns) {
  return ns / kNsPerSecond - (ns % kNsPerSecond < 0 ? 1 : 0);
}

std::string Counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

LocalTime LocalTimeAt(std::int64_t time_ns, const LocalTime& now, std::int64_t now_ns) {
  const std::int64_t offset = SecondsOf(now) - FloorSeconds(now_ns);
  return CivilFromSeconds(FloorSeconds(time_ns) + offset);
}

std::string WhereText(const HistoryOrder& order) {
  if (order.unprinted) return "not printed: of another layout";
  switch (order.where) {
    case PrintedWhere::kPrinter:
      return order.printer;
    case PrintedWhere::kBackup:
      return order.printer + " (backup)";
    case PrintedWhere::kWaiting:
      break;
  }
  return "# Failed to print... (waiting in " + order.printer + ")";
}

std::string HistoryRowText(const HistoryOrder& order, const LocalTime& local,
                           const LocalTime& today) {
  const Lines lines = OrderJobLines(order.job_bytes);
  const OrderSummary summary = SummarizeOrder(lines);
  std::string row;
  if (order.unprinted) row = std::string(kUnprintedMark) + "  ";
  const bool same_day =
      local.year == today.year && local.month == today.month && local.day == today.day;
  if (!same_day) row += ShortDateText(local) + " ";
  row += LongTimeText(local) + "  " + order.job_name + "  " + summary.reference;
  std::string items;
  for (std::size_t i = 0; i < summary.labels.size() && i <= kRowItems; ++i) {
    if (i == kRowItems) {
      items += ", ...";
      break;
    }
    if (i > 0) items += ", ";
    items += summary.labels[i].item;
  }
  if (!items.empty()) row += "  " + items;
  row += "  " + (FollowsBlockLayout(lines) ? Counted(summary.labels.size(), "label", "labels")
                                           : Counted(lines.size(), "line", "lines"));
  row += "  " + WhereText(order);
  // A name or line from outside never breaks the row.
  for (char& c : row) {
    if (static_cast<unsigned char>(c) < 32) c = '?';
  }
  return row;
}

Lines LabelRows(const OrderSummary& summary) {
  Lines rows;
  for (std::size_t i = 0; i < summary.labels.size(); ++i) {
    const LabelSummary& label = summary.labels[i];
    std::string row = std::to_string(i + 1) + ": " + label.item;
    if (!label.modifiers.empty()) {
      row += " (";
      for (std::size_t k = 0; k < label.modifiers.size(); ++k) {
        if (k > 0) row += ", ";
        row += label.modifiers[k];
      }
      row += ")";
    }
    for (char& c : row) {
      if (static_cast<unsigned char>(c) < 32) c = '?';
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string OrderText(const HistoryOrder& order, const std::string& time_text) {
  const Lines lines = OrderJobLines(order.job_bytes);
  Lines text;
  if (order.unprinted) {
    text.push_back("Waiting in Unprinted since " + time_text + " as " + order.job_name +
                   ": not in the label layout, so no label was printed. What the host sent:");
    text.push_back("");
    // Only the lines that say something; the layout's empty ones are noise.
    for (const std::string& line : lines) {
      if (!line.empty()) text.push_back(line);
    }
  } else {
    const OrderSummary summary = SummarizeOrder(lines);
    text.push_back(order.job_name + ", printed " + time_text + ": " + WhereText(order));
    text.push_back("Reference: " + summary.reference);
    text.push_back(Counted(summary.labels.size(), "label", "labels") + ":");
    for (const std::string& row : LabelRows(summary)) text.push_back("  " + row);
  }
  std::string joined = JoinLines(text);
  return joined;
}

std::string HistoryStatusText(const std::vector<HistoryOrder>& orders) {
  std::size_t waiting = 0;
  for (const HistoryOrder& order : orders) waiting += order.unprinted ? 1 : 0;
  const std::size_t printed = orders.size() - waiting;
  std::string text;
  if (waiting > 0) {
    text = Counted(waiting, "order waits", "orders wait") + " in Unprinted, first below  -  ";
  }
  return text + Counted(printed, "order", "orders") + " printed in the last 24 hours";
}

}  // namespace cratemark
