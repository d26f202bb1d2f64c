// Small selections and the whole figure files register mode writes for them: the worked
// examples of the figure-file format, shared by the unit tests and the end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace gara::testing {

inline std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

inline const std::string kScales = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1";
// Text size kind 3: width 3, height 3, spacing 0.5, colour 1.
inline const std::string kSizeThree =
    "hcw 3 3 3 3 3 3 3 3 3 3\nhch 3 3 3 3 3 3 3 3 3 3\nhcd .5 .5 .5 .5 .5 .5 .5 .5 .5 .5\n"
    "hcc 1 1 1 1 1 1 1 1 1 1\ncn3\n";

// Whole figure files of small selections: the worked examples of the format.
struct FigureCase {
  std::string name;
  std::string exchange;
  std::vector<std::string> figure;
};

inline void PrintTo(const FigureCase& c, std::ostream* os) { *os << c.name; }

inline std::vector<FigureCase> SelectionExamples() {
  return {
      FigureCase{"LineAndCircle",
                 "ly2\nlc1\n10 20 30 20\nlc2\nci 20 25 5\n",
                 {"-10,-5,10,5", kScales, "N,2", "L,0,0,2,1,1,0,0,-10,-5,10,-5",
                  "E,0,0,2,2,1,0,0,0,0,5,1,0,6.28318530718,0,1", "BD,0"}},
      FigureCase{"Empty", "", {"0,0,0,0", kScales, "N,0", "BD,0"}},
      FigureCase{"BlocksOnly", "BL 5 5 a\nBL 9 9 b\n", {"0,0,0,0", kScales, "N,0", "BD,0"}},
      FigureCase{"SinglePoint",
                 "ly2\npt 3 4\n",
                 {"0,0,0,0", kScales, "N,1", "T,0,0,2,1,1,0,0,0,0,0,0,0,1", "BD,0"}},
      FigureCase{"PlainAndRotatedPoint",
                 "ly2\npt -3 -4\npt 3 4 2 45 3\n",
                 {"-3,-4,3,4", kScales, "N,2", "T,0,0,2,1,1,0,0,-3,-4,0,0,0,1",
                  "T,0,0,2,1,100,0,0,3,4,0,3,0.785398163397,2", "BD,0"}},
      FigureCase{
          "QuarterArc",
          "ly2\nci 0 0 10 0 90 1 0\n",
          {"-5,-5,5,5", kScales, "N,1", "E,0,0,2,1,1,0,0,-5,-5,10,1,0,1.570796326795,0,0", "BD,0"}},
      FigureCase{
          "WholeArcFromZeroTo360",
          "ci 0 0 5 0 360 1 0\n",
          {"-5,-5,5,5", kScales, "N,1", "E,0,0,0,1,1,0,0,0,0,5,1,0,6.28318530718,0,1", "BD,0"}},
      FigureCase{"ArcOfSweepZeroIsClosed",
                 "ci 0 0 5 30 30 1 0\n",
                 {"-5,-5,5,5", kScales, "N,1",
                  "E,0,0,0,1,1,0,0,0,0,5,1,0.523598775598,6.28318530718,0,1", "BD,0"}},
      FigureCase{
          "Text",
          "ly2\n" + kSizeThree + "ch 10 10 1 0 \"ABC\n",
          {"-2.5,-1.5,2.5,1.5", kScales, "N,1",
           "M,0,0,2,1,1,0,0,-2.5,-1.5,2.5,-1.5,3,3,3,0.5,\"ＭＳ ゴシック\",\"ABC\"", "BD,0"}},
      FigureCase{
          "Dimension",
          "ly2\n" + kSizeThree + "msg\n0 0 20 0\ncs 8.375 1 1 0 \"20\n",
          {"-10,-2,10,2", kScales, "N,1", "D,0,0,2,1,1,0,0,", "L,0,0,2,1,1,0,0,-10,-2,10,-2",
           "M,0,0,2,1,1,0,16400,-1.625,-1,1.625,-1,3,3,3,0.5,\"ＭＳ ゴシック\",\"20\"", "BD,0"}},
      FigureCase{
          "DimensionTextStandsOnItsLowerLeftCorner",
          kSizeThree + "cc4\nmsg\n0 0 20 0\ncs 8.375 1 1 0 \"20\n",
          {"-10,-2,10,2", kScales, "N,1", "D,0,0,0,1,1,0,0,", "L,0,0,0,1,1,0,0,-10,-2,10,-2",
           "M,0,0,0,1,1,0,16400,-1.625,-1,1.625,-1,3,3,3,0.5,\"ＭＳ ゴシック\",\"20\"", "BD,0"}},
      FigureCase{"SquareSolid",
                 "ly2\nlc3\nsl 0 0 10 0 10 10 0 10\n",
                 {"-5,-5,5,5", kScales, "N,1", "S,0,0,2,3,1,0,0,-5,-5,5,-5,5,5,-5,5,0", "BD,0"}},
      FigureCase{"SmallerSolidsRepeatTheirLastCorner",
                 "lc10 99\nsl 0 0 4 0\nsl 0 0 4 0 4 4\n",
                 {"-2,-2,2,2", kScales, "N,2", "S,0,0,0,10,1,0,0,-2,-2,2,-2,2,-2,2,-2,99",
                  "S,0,0,0,10,1,0,0,-2,-2,2,-2,2,2,2,2,99", "BD,0"}},
      FigureCase{
          "CurvedSolids",
          "sc 0 0 5 1 0 0 6.283185307179586 2\nse 0 0 5 1 0 0 1 2\n"
          "so 0 0 5 0.5 0.25 0 3.14159 4\nsg 0 0 5 1 0 0 -1 4\n",
          {"-5,-5,5,5", kScales, "N,4", "S,0,0,0,1,101,0,0,0,0,5,1,0,0,6.28318530718,2,0",
           "S,0,0,0,1,111,0,0,0,0,5,1,0,0,1,2,0", "S,0,0,0,1,105,0,0,0,0,5,0.5,0.25,0,3.14159,4,0",
           "S,0,0,0,1,106,0,0,0,0,5,1,0,0,-1,4,0", "BD,0"}},
      FigureCase{"MarksInEveryColumn",
                 "z1\nz2\nz3\nz4\nz5\n0 0 1 1\nz1\nz2\nz3\nz4\nz5\nci 0 0 1\n"
                 "z1\nz2\nz3\nz4\nz5\nch 0 0 1 0 \"a\nz3\nsl 0 0 1 1\n"
                 "z3\nmsg\nz1\n0 0 1 0\nz2\ncs 0 0 1 0 \"b\n",
                 {"-1.25,-2,1.25,2", kScales, "N,5",
                  // z1 to z5 in the line column, z1 to z4 in the curve column.
                  "L,0,0,0,1,1,0,47136,-0.25,-1,0.75,0",
                  "E,0,0,0,1,1,0,240,-0.25,-1,1,1,0,6.28318530718,0,1",
                  // The text column carries z2 to z4; size kind 1 brings colour 2 and size 3.
                  "M,0,0,0,2,1,0,26640,-0.25,-1,1.25,-1,1,3,3,0,\"ＭＳ ゴシック\",\"a\"",
                  "S,0,0,0,1,1,0,8192,-0.25,-1,0.75,0,0.75,0,0.75,0,0",
                  // z2 is not carried by a D line; z3 before "msg" stays for the dimension line.
                  "D,0,0,0,1,1,0,0,", "L,0,0,0,1,1,0,8224,-0.25,-1,0.75,-1",
                  "M,0,0,0,2,1,0,18448,-0.25,-1,1.25,-1,1,3,3,0,\"ＭＳ ゴシック\",\"b\"", "BD,0"}}};
}

}  // namespace gara::testing
