// Starting the converter for real: the stand-in converter is copied into a temporary program
// directory and started the way the dialog starts kvx.
#include "platform/process_runner.h"

#include <gtest/gtest.h>

#include "platform/real_file_system.h"
#include "support/fake_converter.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::TempDir;

ConverterCommand CommandIn(const TempDir& dir, const std::string& jwsName) {
  RealProcessRunner runner;
  return ConverterCommand{dir.dir() + runner.ConverterFileName(), dir.dir() + "jws.txt",
                          dir.dir() + jwsName};
}

TEST(RealProcessRunner, ConverterFileNameOfThePlatform) {
#ifdef _WIN32
  EXPECT_EQ(RealProcessRunner().ConverterFileName(), "kvx.exe");
#else
  EXPECT_EQ(RealProcessRunner().ConverterFileName(), "kvx");
#endif
}

// The .jws path may hold blanks and Shift-JIS characters whose second byte is a backslash.
class RealProcessRunnerPaths : public ::testing::TestWithParam<const char*> {};

TEST_P(RealProcessRunnerPaths, ConverterGetsTheExactArgumentsAndItsFigureIsThere) {
  TempDir dir;
  RealProcessRunner runner;
  testing::InstallFakeConverter(dir, runner.ConverterFileName());
  // Written through the file layer: the names are Shift-JIS bytes, not UTF-8.
  auto jws = RealFileSystem().Create(dir.dir() + GetParam());
  ASSERT_TRUE(jws && jws->Write("jws") && jws->Close());
  const ConverterCommand command = CommandIn(dir, GetParam());

  ASSERT_TRUE(runner.RunAndWait(command));

  EXPECT_EQ(dir.Read("jws.txt"), testing::kFakeFigure);
#ifdef _WIN32
  EXPECT_EQ(dir.Read("jws.txt.args"), command.CommandLine());
#else
  EXPECT_EQ(dir.Read("jws.txt.args"),
            command.program + "\n/1\n" + command.outputPath + "\n" + command.inputPath + "\n");
#endif
}

INSTANTIATE_TEST_SUITE_P(Names, RealProcessRunnerPaths,
                         ::testing::Values("a.jws", "with blank.jws", "表ソ 図形.jws",
                                           "it's;&$x.jws"));

TEST(RealProcessRunner, WaitsForTheConverterToEnd) {
  TempDir dir;
  RealProcessRunner runner;
  testing::InstallFakeConverter(dir, runner.ConverterFileName());
  dir.Write("slow.jws", "sleep 400\nfigure\n1,2,3,4\r\n");
  ASSERT_TRUE(runner.RunAndWait(CommandIn(dir, "slow.jws")));
  EXPECT_EQ(dir.Read("jws.txt"), "1,2,3,4\r\n");
}

TEST(RealProcessRunner, FailingConverterStillCountsAsStarted) {
  TempDir dir;
  RealProcessRunner runner;
  testing::InstallFakeConverter(dir, runner.ConverterFileName());
  dir.Write("bad.jws", "fail");
  EXPECT_TRUE(runner.RunAndWait(CommandIn(dir, "bad.jws")));
  EXPECT_FALSE(dir.Exists("jws.txt"));
}

TEST(RealProcessRunner, MissingConverterIsNotStarted) {
  TempDir dir;
  dir.Write("a.jws", "jws");
  RealProcessRunner runner;
  EXPECT_FALSE(runner.RunAndWait(CommandIn(dir, "a.jws")));
  EXPECT_FALSE(dir.Exists("jws.txt"));
}

}  // namespace
}  // namespace gara
