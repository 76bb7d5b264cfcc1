// The news decision: kept apart from the window so that it is tested
// without a toolkit.
#include "console/service_news.h"

#include <algorithm>

#include "platform/text_file.h"
#include "shared/status_file.h"
#include "shared/status_message.h"

namespace cratemark {

namespace {

constexpr std::string_view kAlertMark = " : ! Alert ";

struct AlertLine {
  std::string_view kind, message;
};

// "<date> <time> : ! Alert <kind>: <message>", as the service logs an alert.
bool ParseAlertLine(std::string_view line, AlertLine* alert) {
  const std::size_t mark = line.find(kAlertMark);
  if (mark == std::string_view::npos) return false;
  const std::string_view rest = line.substr(mark + kAlertMark.size());
  const std::size_t colon = rest.find(": ");
  if (colon == std::string_view::npos) return false;
  alert->kind = rest.substr(0, colon);
  alert->message = rest.substr(colon + 2);
  return true;
}

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

void ServiceNews::SeeLog(std::string_view text, bool appended) {
  // The whole text says anew which conditions stand.
  if (!appended) backup_.on = stopped_.on = false;
  for (const std::string& line : SplitLines(text)) {
    AlertLine alert;
    if (!ParseAlertLine(line, &alert)) continue;
    Condition* condition = alert.kind == "backup"    ? &backup_
                           : alert.kind == "stopped" ? &stopped_
                                                     : nullptr;
    if (condition) {
      condition->on = true;
      condition->message = alert.message;
      if (appended && !condition->told) {
        condition->told = true;
        Tell(condition == &backup_ ? NewsKind::kBackup : NewsKind::kStopped,
             TitleOf(condition == &backup_), condition->message);
      }
    } else if (alert.kind == "cleared") {
      if (!appended) {
        // Over for now; whether it was told is settled by what the whole
        // text leaves standing, so reading it again tells nothing again.
        backup_.on = stopped_.on = false;
        continue;
      }
      if (backup_.told || stopped_.told) {
        Tell(NewsKind::kCleared, "Labels print again", std::string(alert.message));
      }
      backup_ = {};
      stopped_ = {};
    }
  }
  // The whole text tells only what it leaves standing.
  if (appended) return;
  for (Condition* condition : {&backup_, &stopped_}) {
    if (!condition->on) {
      condition->told = false;
    } else if (!condition->told) {
      condition->told = true;
      Tell(condition == &backup_ ? NewsKind::kBackup : NewsKind::kStopped,
           TitleOf(condition == &backup_), condition->message);
    }
  }
}

void ServiceNews::SeeUnprinted(std::size_t count) {
  if (count > unprinted_) {
    Tell(NewsKind::kUnprinted, "Order not printed",
         count == 1 ? "1 order waits in Unprinted: see the History page."
                    : std::to_string(count) + " orders wait in Unprinted: see the History page.");
  }
  unprinted_ = count;
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
