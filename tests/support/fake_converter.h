// The converter stand-in built from tests/tools/fake_kvx.cpp, installed into a temporary program
// directory under the converter's own file name.
#pragma once

#include <string>

#include "support/temp_dir.h"

namespace gara::testing {

// The figure it writes when the .jws file asks for nothing else: a 20 x 10 box whose extents
// are not centred, as a converter may write them.
inline constexpr char kFakeFigure[] =
    "-5,-2,15,8\r\n"
    "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
    "N,1,\r\n"
    "L,0,0,0,1,1,0,0,-5,-2,15,8\r\n"
    "BD,0\r\n";
inline constexpr double kFakeFigureWidth = 20.0;
inline constexpr double kFakeFigureHeight = 10.0;

// Copies the stand-in into `dir` as `fileName` ("kvx.exe" or "kvx") and returns its path.
std::string InstallFakeConverter(const TempDir& dir, const std::string& fileName);

}  // namespace gara::testing
