// What the History page shows of the orders in "Unprinted" and "Printed":
// one row per order, one row per label, the text of an order, and the
// page's status line. Pure: the form reads the folders and draws these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "platform/text_file.h"
#include "shared/order_history.h"

namespace cratemark {

// The marker in front of an order that waits in "Unprinted".
inline constexpr char kUnprintedMark[] = "* NOT PRINTED";

// The local time at `time_ns` (nanoseconds since 1970 UTC), from the local
// time `now` is at `now_ns`: the clock's offset from UTC as it is now.
LocalTime LocalTimeAt(std::int64_t time_ns, const LocalTime& now, std::int64_t now_ns);

// "14:05:09  1234.spl  Ann Smith  Soup, Bread  2 labels  Label1", with the
// date in front when it is not today's; an order of "Unprinted" starts with
// kUnprintedMark and counts lines instead of labels.
std::string HistoryRowText(const HistoryOrder& order, const LocalTime& local,
                           const LocalTime& today);

// Where the labels went, for a kept order: "Label1", "Label2 (backup)", or
// "# Failed to print... (waiting in Label1)".
std::string WhereText(const HistoryOrder& order);

// One row per label: "1: Soup (no salt, hot)".
Lines LabelRows(const OrderSummary& summary);

// The view beside the labels: for an order of "Unprinted" its text as the
// host wrote it, so the kitchen can read it; for a kept one what it was.
std::string OrderText(const HistoryOrder& order, const std::string& time_text);

// "2 orders wait in Unprinted  ·  35 printed in the last 24 hours".
std::string HistoryStatusText(const std::vector<HistoryOrder>& orders);

}  // namespace cratemark
