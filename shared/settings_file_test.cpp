#include "shared/settings_file.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

struct LookUpCase {
  Lines lines;
  const char* expected;
};

TEST(SettingsFileTest, LookUpTakesTheFirstMatchingLineUntrimmed) {
  const LookUpCase cases[] = {
      {{"spldirsource=Kitchen"}, "Kitchen"},                            // key in lower case
      {{"SPLDirSource=A=B"}, "A=B"},                                    // value holds "="
      {{"SPLDirSource = Kitchen"}, ""},                                 // blank before "="
      {{" SPLDirSource=Kitchen"}, ""},                                  // blank before the key
      {{"SPLDirSource=First", "SPLDirSource=Second"}, "First"},         // first line wins
      {{"SPLDirSource= spaced "}, " spaced "},                          // value untrimmed
      {{"SPLDirSource"}, ""},                                           // no "="
      {{"junk", "[section]", "SPLDirSourceX=1", "SPLDirSource="}, ""},  // empty value
      {{"Other=1", "SPLDIRSOURCE=Bar"}, "Bar"},
      {{}, ""},
  };
  for (const LookUpCase& c : cases) {
    EXPECT_EQ(LookUpSetting(c.lines, "SPLDirSource"), c.expected)
        << (c.lines.empty() ? "(no lines)" : c.lines.front());
  }
}

TEST(SettingsFileTest, AbsentKeysGiveEmptyTextNotDefaults) {
  const Settings s = SettingsFromLines({"SPLDirDest=Label9", "timetext=Zeit:"});
  EXPECT_EQ(s, (Settings{"", "Label9", "", "", "Zeit:", "", ""}));
}

TEST(SettingsFileTest, ServiceWritesSevenLinesInKeyOrder) {
  ScopedTempDir dir;
  WriteSettingsFile(SystemFileSystem(), dir.path(), ServiceDefaultSettings());
  EXPECT_EQ(ReadWholeFile(dir.path() + "Cratemark.cfg"),
            "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n"
            "LabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n");
  EXPECT_EQ(ReadSettingsFile(SystemFileSystem(), dir.path()), ServiceDefaultSettings());

  Settings accented = ServiceDefaultSettings();
  accented.time_text = "Heure\xC3\xA9:";  // é is one byte in the ANSI code page
  WriteSettingsFile(SystemFileSystem(), dir.path(), accented);
  EXPECT_NE(ReadWholeFile(dir.path() + "Cratemark.cfg").find("TimeText=Heure\xE9:\r\n"),
            std::string::npos);
  EXPECT_EQ(ReadSettingsFile(SystemFileSystem(), dir.path()), accented);
}

TEST(SettingsFileTest, ReadsAFileWithAByteOrderMarkAndFailsOnAMissingOne) {
  ScopedTempDir dir;
  WriteWholeFile(dir.path() + "Cratemark.cfg",
                 "\xEF\xBB\xBFSPLDirSource=K\xC3\xBC"
                 "che\n");
  EXPECT_EQ(ReadSettingsFile(SystemFileSystem(), dir.path()).spl_dir_source,
            "K\xC3\xBC"
            "che");
  EXPECT_THROW(ReadSettingsFile(SystemFileSystem(), dir.path() + "missing" + kPathSeparator),
               Error);
}

struct SetCase {
  Lines before;
  const char* value;
  Lines after;
};

TEST(SettingsFileTest, SetKeepsOtherLinesAndUsesTheGivenSpelling) {
  const SetCase cases[] = {
      {{"# note", "spldirdest=Old", "X=1"}, "Label1", {"# note", "SPLDirDest=Label1", "X=1"}},
      {{"X=1"}, "Label1", {"X=1", "SPLDirDest=Label1"}},                          // appended
      {{"SPLDirDest=A", "SPLDirDest=B"}, "C", {"SPLDirDest=C", "SPLDirDest=B"}},  // first only
      {{"SPLDirDest=A", "X=1", "SPLDirDest=B"}, "", {"X=1", "SPLDirDest=B"}},     // empty removes
      {{"X=1"}, "", {"X=1"}},
      {{"SPLDirDest =A"}, "B", {"SPLDirDest =A", "SPLDirDest=B"}},  // not a line for the key
  };
  for (const SetCase& c : cases) {
    Lines lines = c.before;
    SetSetting(lines, "SPLDirDest", c.value);
    EXPECT_EQ(lines, c.after) << "value \"" << c.value << "\"";
  }
}

TEST(SettingsFileTest, ConsoleLinesWrittenBackKeepTheirEncoding) {
  ScopedTempDir dir;
  const std::string path = SettingsFilePath(dir.path());
  WriteTextFile(SystemFileSystem(), path, {"SPLDirSource=PreLabel", "extra line"},
                TextEncoding::kUtf16LE);
  TextFileContent content = ReadTextFile(SystemFileSystem(), path);
  SetSetting(content.lines, kKeySplDirSource,
             "K\xC3\xBC"
             "che");
  WriteTextFile(SystemFileSystem(), path, content.lines, content.encoding);

  const TextFileContent again = ReadTextFile(SystemFileSystem(), path);
  EXPECT_EQ(again.encoding, TextEncoding::kUtf16LE);
  EXPECT_EQ(again.lines, (Lines{"SPLDirSource=K\xC3\xBC"
                                "che",
                                "extra line"}));
}

}  // namespace
}  // namespace cratemark
