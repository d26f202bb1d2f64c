#include "pattern/course.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/main_flow.h"
#include "exchange/exchange_reader.h"
#include "pattern/selected_paths.h"
#include "settings/settings.h"

namespace gara {
namespace {

namespace stdfs = std::filesystem;

std::string ReadAll(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Counts what a layout places.
struct CountingSink final : PathSink {
  double figures = 0;
  void Attributes() override {}
  void Figure(FigureSlot, double, double, double, double) override { ++figures; }
  void Line(double, double, double, double) override {}
  void Arc(double, double, double, double, double) override {}
  void Circle(double, double, double) override {}
};

// The estimate judges the run that is drawn: on every case of the cross check and the gallery,
// in each drawing mode it is run in, the count of the course is the count its layout places.
TEST(CourseTest, CountIsWhatTheLayoutPlaces) {
  const stdfs::path data(GARA_TEST_DATA_DIR);
  int cases = 0;
  double placed = 0;
  for (const stdfs::path& root : {data / "../cross/cases", data / "../../docs/gallery/cases"}) {
    for (const stdfs::directory_entry& dir : stdfs::directory_iterator(root)) {
      const stdfs::path exchange = dir.path() / "JWC_TEMP.TXT";
      const stdfs::path settingsFile = dir.path() / "garanarabe.dat";
      if (!stdfs::exists(exchange) || !stdfs::exists(settingsFile)) continue;
      DrawingState state;
      ReadExchangeBytes(ReadAll(exchange), state);
      const Settings settings = ParseSettings(ReadAll(settingsFile));
      const LayoutRow row = ResolveRow(settings.Row(settings.selectedRow));
      std::string modes = ReadAll(dir.path() / "modes") + ReadAll(dir.path() / "mode");
      for (const char mode : modes) {
        std::unique_ptr<Course> course;
        if (mode == '1' || mode == '2') {
          const int n = mode == '1' ? 2 : ConsecutiveDesignatedPoints(state);
          course = std::make_unique<SegmentCourse>(state, n, mode == '2');
        } else if (mode == '4') {
          course = std::make_unique<PathCourse>(SelectedPaths(state.entities));
        } else {
          continue;
        }
        CountingSink sink;
        course->Lay(row, sink);
        EXPECT_EQ(course->Count(row).figures, sink.figures) << dir.path() << " mode " << mode;
        placed += sink.figures;
        ++cases;
      }
    }
  }
  EXPECT_GE(cases, 20);
  EXPECT_GT(placed, 100);
}

}  // namespace
}  // namespace gara
