#include "platform/program_dir_option.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"

namespace cratemark {
namespace {

TEST(ProgramDirOptionTest, TakesTheFolderAndKeepsTheOtherArguments) {
  const std::string cwd = std::filesystem::current_path().string();
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  struct Case {
    std::vector<std::string> args;
    std::string program_dir;
    std::vector<std::string> rest;
  };
  const std::string root = std::filesystem::path("/srv/tolvan").make_preferred().string();
  const Case cases[] = {
      {{}, ProgramDir(), {}},
      {{"/x", "--program-dir", "/srv/tolvan"}, root + separator, {"/x"}},
      {{"--program-dir=/srv/tolvan/"}, root + separator, {}},
      {{"--program-dir", "/srv/./tolvan/../tolvan", "y"}, root + separator, {"y"}},
      {{"--program-dir", "pos"}, cwd + separator + "pos" + separator, {}},
  };
  for (const Case& c : cases) {
    ProgramDirOption option = TakeProgramDirOption(c.args);
    EXPECT_EQ(option.error, "");
    EXPECT_EQ(option.rest, c.rest);
    // Windows spells an absolute path with a drive; only the tail matters there.
    EXPECT_TRUE(option.program_dir.ends_with(c.program_dir.substr(c.program_dir.find(separator))))
        << option.program_dir;
  }
}

TEST(ProgramDirOptionTest, RejectsAMissingOrRepeatedFolder) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--program-dir"}, {"--program-dir="}, {"--program-dir", "/a", "--program-dir=/b"}}) {
    EXPECT_NE(TakeProgramDirOption(args).error, "") << args.size();
  }
}

}  // namespace
}  // namespace cratemark
