// A program folder for the service's tests: three printers ("PreLabel",
// "Label1", "Label2"), a design and one job "a.spl", and the service module
// over folder-backed lock tables.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "platform/text_file.h"
#include "service/srvMain.h"
#include "service/testing/folder_lock_table.h"
#include "service/testing/manual_clock.h"
#include "shared/activity_log.h"

namespace cratemark::testing {

inline const std::string kSep(1, kPathSeparator);

class Site {
 public:
  Site() {
    for (const char* printer : {"PreLabel", "Label1", "Label2"}) Mkdir(printer);
    WriteWholeFile(P("LabelDesign.txt"), "<Reference>\r\n");
    std::string job = "Ann\r\n";
    for (int i = 1; i < 100; ++i) job += "\r\n";
    WriteWholeFile(P("PreLabel" + kSep + "a.spl"), job);
  }

  std::string P(const std::string& name) const { return dir_.path() + name; }
  void Mkdir(const std::string& name) { std::filesystem::create_directories(P(name)); }
  void Remove(const std::string& name) { std::filesystem::remove_all(P(name)); }
  void Put(const std::string& name, const std::string& bytes) { WriteWholeFile(P(name), bytes); }
  bool Has(const std::string& name) const { return FileExists(P(name)); }

  void Settings(const std::string& source, const std::string& dest, const std::string& backup) {
    Put("Cratemark.cfg", "SPLDirSource=" + source + "\r\nSPLDirDest=" + dest +
                             "\r\nSPLDirBackup=" + backup + "\r\n");
  }

  // A module over folder-backed lock tables, not yet started.
  std::unique_ptr<TsrvCratemark> Make() {
    auto source = std::make_unique<FolderLockTable>();
    source_lock_ = source.get();
    ServiceOptions options;
    options.settle_time = std::chrono::milliseconds(0);
    options.quiet_time = std::chrono::milliseconds(0);
    options.report_error = [this](EventKind, const std::string& message) {
      reports.push_back(message);
    };
    options.clock = &clock;
    options.alert_runner = alert_runner;
    return std::make_unique<TsrvCratemark>(dir_.path(), std::move(source),
                                           std::make_unique<FolderLockTable>(), options);
  }

  std::unique_ptr<TsrvCratemark> Start(const std::string& dest = "Label1",
                                       const std::string& backup = "Label2") {
    Settings("PreLabel", dest, backup);
    auto module = Make();
    module->ServiceStart();
    return module;
  }

  // The lines of the activity log file, split at CR LF only, so that a line
  // break inside a message would show; none when there is no file.
  Lines LogLines() const {
    if (!Has(std::string(kActivityLogFileName))) return {};
    const std::string text = DecodeText(ReadWholeFile(ActivityLogPath(dir())));
    Lines lines;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  // The messages of the log lines, from line `from` on.
  Lines Messages(std::size_t from = 0) const {
    Lines messages;
    const Lines lines = LogLines();
    for (std::size_t i = from; i < lines.size(); ++i) {
      const std::size_t colon = lines[i].find(" : ");
      messages.push_back(lines[i].substr(colon + 3));
    }
    return messages;
  }

  const std::string& dir() const { return dir_.path(); }
  FolderLockTable* source_lock_ = nullptr;
  Lines reports;                                     // what the module reported to the event log
  ManualClock clock;                                 // what the module's pauses count on
  std::shared_ptr<AlertCommandRunner> alert_runner;  // none when null

 private:
  ScopedTempDir dir_;
};

}  // namespace cratemark::testing
