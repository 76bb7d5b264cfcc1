// Tests of what news the console tells of the service, and how often.
#include "console/service_news.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

const PrinterNames kPrinters{"PreLabel", "Label1", "Label2"};

std::string Line(std::string_view kind, std::string_view message) {
  std::string line = "11/12/2026 14:00:01 : ! Alert ";
  line.append(kind).append(": ").append(message).append("\r\n");
  return line;
}

const std::string kBackupLine =
    Line("backup", "Labels for Label1 print on the backup printer Label2");
const std::string kStoppedLine = Line("stopped", "No printer prints: the labels of 1.spl wait");
const std::string kClearedLine = Line("cleared", "Labels print at Label1 again (over: backup)");
const std::string kClearedBothLine =
    Line("cleared", "Labels print on Label1 again (over: backup, stopped)");
const std::string kHaltedClearedLine =
    Line("cleared", "The service takes jobs again (over: halted)");
const std::string kPlainLine = "11/12/2026 14:00:02 : -> Loading from 2.spl\r\n";

// One tick as the console sees it; the fields left unset are not read.
struct Step {
  std::optional<std::string> whole_log{}, appended_log{};
  std::optional<std::int16_t> status{};
  std::optional<std::size_t> unprinted{};
  std::vector<NewsKind> told{};
};

void Play(const std::vector<Step>& steps, const char* name) {
  ServiceNews news;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    if (step.whole_log) news.SeeLog(*step.whole_log, false);
    if (step.appended_log) news.SeeLog(*step.appended_log, true);
    if (step.status) news.SeeStatus(*step.status, kPrinters);
    if (step.unprinted) news.SeeUnprinted(*step.unprinted);
    std::vector<NewsKind> told;
    for (const News& piece : news.TakeNews()) told.push_back(piece.kind);
    EXPECT_EQ(told, step.told) << name << ", tick " << i;
  }
}

TEST(ServiceNewsTest, EachPieceIsToldOnceUntilItChanges) {
  using enum NewsKind;
  const std::string many_backups = [] {
    std::string text;
    for (int i = 0; i < 500; ++i) text += kBackupLine + kPlainLine + kClearedLine;
    return text + kBackupLine;
  }();
  const struct {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"a status told once, again when it changes, again after 0",
       {{.status = 0, .told = {}},
        {.status = 5, .told = {kStatus}},
        {.status = 5, .told = {}},
        {.status = 2, .told = {kStatus}},
        {.status = 0, .told = {}},
        {.status = 2, .told = {kStatus}}}},
      {"a status present at start is told",
       {{.whole_log = kPlainLine, .status = 7, .told = {kStatus}}}},
      {"a log unreadable for a moment is no news; one that stays unreadable is",
       {{.status = 0, .told = {}},
        {.status = 6, .told = {}},
        {.status = 0, .told = {}},
        {.status = 6, .told = {}},
        {.status = 6, .told = {}},
        {.status = 6, .told = {}},
        {.status = 6, .told = {kStatus}},
        {.status = 6, .told = {}}}},
      {"the log at start tells only what it leaves standing",
       {{.whole_log = kBackupLine + kClearedLine + kStoppedLine + kPlainLine, .told = {kStopped}}}},
      {"a log at start with every condition over tells nothing",
       {{.whole_log = kBackupLine + kStoppedLine + kClearedBothLine, .told = {}}}},
      {"a clearing ends only the conditions it names",
       {{.whole_log = kBackupLine + kHaltedClearedLine + kStoppedLine + kClearedLine,
         .told = {kStopped}},
        {.appended_log = kBackupLine, .told = {kBackup}},
        {.appended_log = kHaltedClearedLine, .told = {}},
        {.appended_log = kBackupLine, .told = {}},
        {.appended_log = kClearedBothLine, .told = {kCleared}}}},
      {"an alert's mark later in a line (a job's name) is no alert",
       {{.whole_log = kPlainLine, .told = {}},
        {.appended_log = "11/12/2026 14:00:02 : -> Loading from a : ! Alert stopped: x.spl\r\n",
         .told = {}},
        {.appended_log = kBackupLine, .told = {kBackup}},
        {.appended_log = "11/12/2026 14:00:03 : -> Loading from " + kClearedLine, .told = {}},
        {.appended_log = kStoppedLine, .told = {kStopped}}}},
      {"a long log tells one piece, not one per line",
       {{.whole_log = many_backups, .told = {kBackup}},
        {.appended_log = many_backups, .told = {kBackup, kCleared}}}},
      {"a raise is told once until cleared, then the clearing and the next raise",
       {{.whole_log = kPlainLine, .told = {}},
        {.appended_log = kBackupLine, .told = {kBackup}},
        {.appended_log = kBackupLine + kPlainLine, .told = {}},
        {.appended_log = kStoppedLine, .told = {kStopped}},
        {.appended_log = kClearedLine, .told = {kCleared}},
        {.appended_log = kClearedLine, .told = {}},
        {.appended_log = kBackupLine, .told = {kBackup}}}},
      {"the same log read whole again (after the console's own lines) tells nothing",
       {{.whole_log = kBackupLine, .told = {kBackup}},
        {.whole_log = kBackupLine + kPlainLine, .told = {}}}},
      {"a log whose standing condition follows a clearing, read whole again, tells nothing",
       {{.whole_log = kClearedLine + kStoppedLine, .told = {kStopped}},
        {.whole_log = kClearedLine + kStoppedLine, .told = {}}}},
      {"a new log without the condition forgets it, so its next raise is news",
       {{.whole_log = kBackupLine, .told = {kBackup}},
        {.whole_log = kPlainLine, .told = {}},
        {.appended_log = kBackupLine, .told = {kBackup}}}},
      {"orders in Unprinted: at start, then only when more come",
       {{.unprinted = 2, .told = {kUnprinted}},
        {.unprinted = 2, .told = {}},
        {.unprinted = 1, .told = {}},
        {.unprinted = 2, .told = {kUnprinted}},
        {.unprinted = 0, .told = {}},
        {.unprinted = 0, .told = {}}}},
      {"an order kept while an older one makes room is news, though the count stays",
       {{.unprinted = 3, .told = {kUnprinted}},
        {.appended_log = "11/12/2026 14:00:04 : ## Not printed: kept as /t/Unprinted/9.spl\r\n",
         .unprinted = 3,
         .told = {kUnprinted}},
        {.unprinted = 3, .told = {}}}},
      {"several kinds in one tick, in a fixed order",
       {{.whole_log = kPlainLine, .told = {}},
        {.appended_log = kBackupLine,
         .status = 5,
         .unprinted = 1,
         .told = {kStatus, kBackup, kUnprinted}}}},
  };
  for (const auto& c : cases) Play(c.steps, c.name);
}

TEST(ServiceNewsTest, TellsTheServicesOwnWords) {
  ServiceNews news;
  news.SeeLog(kPlainLine, false);
  news.SeeLog(kBackupLine, true);
  news.SeeStatus(2, kPrinters);
  news.SeeStatus(42, kPrinters);  // a code without a text of its own
  const std::vector<News> told = news.TakeNews();
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0].text, "The label service reports status 42.");
  EXPECT_EQ(told[1].text, "Labels for Label1 print on the backup printer Label2");
  EXPECT_EQ(CombinedNews(told).text,
            "The label service reports status 42.\nLabels for Label1 print on the backup printer "
            "Label2");
  EXPECT_EQ(CombinedNews({told[1]}), told[1]);
}

}  // namespace
}  // namespace cratemark
