// The news decision: kept apart from the window so that it is tested
// without a toolkit.
#include "console/service_news.h"

#include <algorithm>
#include <optional>

#include "platform/text_file.h"
#include "shared/activity_log.h"
#include "shared/alert_log_line.h"
#include "shared/status_file.h"
#include "shared/status_message.h"
#include "shared/unprinted_folder.h"

namespace cratemark {

namespace {

std::string TitleOf(bool is_backup) {
  return is_backup ? "Labels at the backup printer" : "No printer prints";
}

}  // namespace

void ServiceNews::Tell(NewsKind kind, std::string title, std::string text) {
  // A later piece of the same kind says it better; one of each is enough.
  std::erase_if(news_, [kind](const News& news) { return news.kind == kind; });
  news_.push_back({kind, std::move(title), std::move(text)});
}

void ServiceNews::SeeStatus(std::int16_t code, const PrinterNames& printers) {
  not_running_ticks_ = code == kStatusServiceNotRunning ? not_running_ticks_ + 1 : 0;
  if (code == 0) {
    told_status_ = 0;
    return;
  }
  if (code == told_status_) return;
  if (code == kStatusServiceNotRunning && not_running_ticks_ < kNotRunningTicksBeforeNews) return;
  told_status_ = code;
  std::string text = StatusMessage(code, printers.source, printers.dest, printers.backup);
  if (text.empty()) text = "The label service reports status " + std::to_string(code) + ".";
  Tell(NewsKind::kStatus, "Labels stopped", std::move(text));
}

ServiceNews::Condition* ServiceNews::ConditionOf(std::string_view kind) {
  if (kind == "backup") return &backup_;
  if (kind == "stopped") return &stopped_;
  return nullptr;
}

void ServiceNews::TellRaise(Condition& condition, std::string_view message) {
  condition.told = true;
  const bool is_backup = &condition == &backup_;
  Tell(is_backup ? NewsKind::kBackup : NewsKind::kStopped, TitleOf(is_backup),
       std::string(message));
}

void ServiceNews::SeeLog(std::string_view text, bool appended) {
  if (appended) {
    SeeAppendedLog(text);
  } else {
    SeeWholeLog(text);
  }
}

void ServiceNews::SeeAppendedLog(std::string_view text) {
  // Every raise of a condition not yet told, and the clearing of one that was.
  for (const std::string& line : SplitLines(text)) {
    if (LogLineMessage(line).starts_with(kNotPrintedLogMark)) order_kept_ = true;
    const std::optional<AlertLogLine> alert = ParseAlertLogLine(line);
    if (!alert) continue;
    if (Condition* condition = ConditionOf(alert->kind)) {
      if (!condition->told) TellRaise(*condition, alert->message);
    } else if (alert->kind == "cleared") {
      bool was_told = false;
      for (std::string_view over : OverKinds(alert->message)) {
        if (Condition* condition = ConditionOf(over)) {
          was_told = was_told || condition->told;
          condition->told = false;
        }
      }
      if (was_told) Tell(NewsKind::kCleared, "Labels print again", std::string(alert->message));
    }
  }
}

void ServiceNews::SeeWholeLog(std::string_view text) {
  // Only what the log leaves standing counts: the last raise of each
  // condition with no clearing of it after.
  std::optional<std::string> standing_backup, standing_stopped;
  const auto standing = [&](const Condition* condition) -> std::optional<std::string>& {
    return condition == &backup_ ? standing_backup : standing_stopped;
  };
  for (const std::string& line : SplitLines(text)) {
    const std::optional<AlertLogLine> alert = ParseAlertLogLine(line);
    if (!alert) continue;
    if (Condition* condition = ConditionOf(alert->kind)) {
      standing(condition) = std::string(alert->message);
    } else if (alert->kind == "cleared") {
      for (std::string_view over : OverKinds(alert->message)) {
        if (Condition* condition = ConditionOf(over)) standing(condition).reset();
      }
    }
  }
  for (Condition* condition : {&backup_, &stopped_}) {
    const std::optional<std::string>& message = standing(condition);
    if (!message) {
      condition->told = false;
    } else if (!condition->told) {
      TellRaise(*condition, *message);
    }
  }
}

void ServiceNews::SeeUnprinted(std::size_t count) {
  // A kept order may leave the count as it was: an older one went to make room.
  if (count > unprinted_ || (order_kept_ && count > 0)) {
    Tell(NewsKind::kUnprinted, "Order not printed",
         count == 1 ? "1 order waits in Unprinted: see the History page."
                    : std::to_string(count) + " orders wait in Unprinted: see the History page.");
  }
  unprinted_ = count;
  order_kept_ = false;
}

std::vector<News> ServiceNews::TakeNews() {
  std::vector<News> news = std::move(news_);
  news_.clear();
  std::stable_sort(news.begin(), news.end(),
                   [](const News& a, const News& b) { return a.kind < b.kind; });
  return news;
}

News CombinedNews(const std::vector<News>& news) {
  if (news.size() == 1) return news.front();
  News combined{news.empty() ? NewsKind::kStatus : news.front().kind, "Cratemark", ""};
  for (const News& piece : news) {
    if (!combined.text.empty()) combined.text += "\n";
    combined.text += piece.text;
  }
  return combined;
}

}  // namespace cratemark
