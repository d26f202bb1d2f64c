// The converter as the program starts it: kvx /1 OUTPUT INPUT, in a temporary directory.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "jws/archive_writer.h"
#include "jws/figure_file.h"
#include "jws/reader.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::ArchiveWriter;
using testing::RunProgramIn;
using testing::TempDir;

const std::string kKvx = GARA_KVX_PATH;

std::string ReadData(const std::string& name) {
  std::ifstream in(std::string(GARA_TEST_DATA_DIR) + "/jws/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

using testing::Scales;

class KvxRun : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "processes are started by the dialog tests on Windows";
#endif
  }
  testing::ProgramResult Run(const std::vector<std::string>& args) {
    return RunProgramIn(dir_, args, kKvx);
  }
  TempDir dir_;
};

TEST_F(KvxRun, ConvertsADrawing) {
  const std::string input = ReadData("ezjww_sqr-circle-blocks.jww");
  dir_.Write("in.jww", input);
  const auto r = Run({"/1", "jws.txt", "in.jww"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.errorOutput, "");
  const auto expected = jws::MakeFigureFile(*jws::ReadArchive(input).document);
  ASSERT_TRUE(expected.ok);
  EXPECT_EQ(dir_.Read("jws.txt"), expected.text);
}

TEST_F(KvxRun, QuotedPathsWithBlanksAndAbsolutePaths) {
  ArchiveWriter w(700);
  w.FigureHeader(Scales());
  w.Count(1);
  jws::Line l;
  l.x2 = 10;
  w.Add(l);
  w.Count(0);
  std::filesystem::create_directory(dir_.path() / "my figures");
  dir_.Write("my figures/a b.jws", w.bytes);
  const auto r = Run({"/1", dir_.File("out put.txt"), dir_.File("my figures/a b.jws")});
  EXPECT_EQ(r.exitCode, 0) << r.errorOutput;
  EXPECT_EQ(dir_.Read("out put.txt"),
            "0,0,10,0\r\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\nN,1\r\n"
            "L,0,0,0,0,0,0,0,0,0,10,0\r\nBD,0\r\n");
}

struct BadInput {
  const char* name;
  std::string bytes;  // empty: the input file is missing
  const char* expected;
};

// The main list inserts definition `levels`, which inserts `levels - 1` `fanOut` times, and so on
// down to definition 0 of one line; with `loop`, definition 1 inserts the top one instead.
std::string BlockChain(uint32_t levels, int fanOut, bool loop = false) {
  ArchiveWriter w(700);
  w.FigureHeader(Scales());
  w.Count(1);
  jws::BlockInsert b;
  b.definition = levels;
  w.Add(b);
  w.Count(levels + 1);
  w.BeginDefinition(0, u"L");
  w.Count(1);
  w.Add(jws::Line{});
  for (uint32_t d = 1; d <= levels; ++d) {
    w.BeginDefinition(d, u"B");
    w.Count(fanOut);
    b.definition = loop && d == 1 ? levels : d - 1;
    for (int i = 0; i < fanOut; ++i) w.Add(b);
  }
  return w.bytes;
}

std::vector<BadInput> BadInputs() {
  std::vector<BadInput> v;
  const std::string good = ReadData("ezjww_non_block.jww");
  v.push_back({"missing", "", "cannot be read"});
  v.push_back({"truncated", good.substr(0, good.size() - 30), "end"});
  std::string sig = good;
  sig[0] = 'X';
  v.push_back({"signature", sig, "signature"});
  ArchiveWriter w(700);
  w.FigureHeader(Scales());
  w.Count(2);
  w.Add(jws::Line{});
  w.NewObject("CDataUnknown");
  v.push_back({"unknown class", w.bytes, "unknown class"});
  ArchiveWriter big(700);
  big.FigureHeader(Scales());
  big.Count(0xFFFFFFFFu);
  big.Add(jws::Line{});
  v.push_back({"four billion", big.bytes, "4294967295"});
  ArchiveWriter group(700);
  group.FigureHeader(Scales());
  group.Count(1);
  jws::Line l;
  l.c.layerGroup = 40;
  group.Add(l);
  group.Count(0);
  v.push_back({"layer group", group.bytes, "layer group 40"});
  ArchiveWriter blockGroup(700);
  blockGroup.FigureHeader(Scales());
  blockGroup.Count(2);
  blockGroup.Add(jws::Line{});
  jws::BlockInsert b;
  b.c.layerGroup = 40;
  blockGroup.Add(b);
  blockGroup.Count(1);
  blockGroup.BeginDefinition(0, u"B");
  blockGroup.Count(1);
  blockGroup.Add(jws::Line{});
  v.push_back({"block's layer group", blockGroup.bytes,
               "entity 2 (in its block): layer group 40 does not exist"});
  v.push_back({"block cycle", BlockChain(2, 1, true), "a cycle of block references"});
  v.push_back({"blocks 1000 deep", BlockChain(1000, 1), "nested more than 64 deep"});
  v.push_back({"ten million from blocks", BlockChain(7, 10), "more than 100000 entities"});
  // A text of a million characters named again 5000 times would be 5 GB of figure file.
  ArchiveWriter bomb(700, ArchiveWriter::StringForm::kAnsi);
  bomb.FigureHeader(Scales());
  bomb.Count(5001);
  bomb.Add(jws::Text{}, u"", std::u16string(1 << 20, u'a'));
  for (int i = 0; i < 5000; ++i) bomb.Reference(bomb.lastObject());
  bomb.Count(0);
  v.push_back({"back-reference bomb", bomb.bytes, "back-references repeat more than 64 MB"});
  return v;
}

// No output is left behind, not even an older one; one line on standard error; exit code not 0.
TEST_F(KvxRun, BadInputLeavesNoOutput) {
  for (const BadInput& c : BadInputs()) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir_.path() / "in.jws");
    if (!c.bytes.empty()) dir_.Write("in.jws", c.bytes);
    dir_.Write("jws.txt", "an older figure\r\n");
    const auto r = Run({"/1", "jws.txt", "in.jws"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_FALSE(dir_.Exists("jws.txt"));
    ASSERT_FALSE(r.errorOutput.empty());
    EXPECT_EQ(r.errorOutput.find('\n'), r.errorOutput.size() - 1) << r.errorOutput;
    EXPECT_EQ(r.errorOutput.rfind("kvx: ", 0), 0u) << r.errorOutput;
    EXPECT_NE(r.errorOutput.find(c.expected), std::string::npos) << r.errorOutput;
  }
}

TEST_F(KvxRun, UnwritableOutput) {
  dir_.Write("in.jww", ReadData("ezjww_non_block.jww"));
  const auto r = Run({"/1", dir_.File("no such dir/jws.txt"), "in.jww"});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.errorOutput.find("cannot be written"), std::string::npos) << r.errorOutput;
}

// The drawing must survive a command line that names it twice, however it is spelt.
TEST_F(KvxRun, OutputThatIsTheInputIsRefusedAndKept) {
  const std::string drawing = ReadData("ezjww_non_block.jww");
  dir_.Write("a.jww", drawing);
  std::filesystem::create_symlink("a.jww", dir_.path() / "link.jww");
  std::filesystem::create_hard_link(dir_.path() / "a.jww", dir_.path() / "hard.jww");
  for (const std::string output : {"a.jww", "./a.jww", "link.jww", "hard.jww"}) {
    SCOPED_TRACE(output);
    const auto r = Run({"/1", output, "a.jww"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errorOutput.find("OUTPUT is the INPUT"), std::string::npos) << r.errorOutput;
    EXPECT_EQ(dir_.Read("a.jww"), drawing);
    EXPECT_TRUE(dir_.Exists(output));
  }
}

TEST_F(KvxRun, WrongCommandLineTouchesNothing) {
  dir_.Write("in.jww", ReadData("ezjww_non_block.jww"));
  dir_.Write("jws.txt", "kept");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"/1", "jws.txt"}, {"/2", "jws.txt", "in.jww"}, {"/1", "jws.txt", "in.jww", "x"}}) {
    const auto r = Run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.errorOutput.find("usage"), std::string::npos);
    EXPECT_EQ(dir_.Read("jws.txt"), "kept");
  }
}

}  // namespace
}  // namespace gara
