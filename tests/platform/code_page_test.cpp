// The Windows program works in code page 932: file names, the exchange file and the dialog's
// texts are Shift-JIS. Under any other ANSI code page (as Wine gives without a Japanese locale)
// the other Windows tests would prove little.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(WindowsCodePage, AnsiCodePageIsShiftJis) { EXPECT_EQ(GetACP(), 932u); }

TEST(WindowsCodePage, UpperCasingKeepsDoubleByteCharacters) {
  char text[] = "a.jwsビ表";
  CharUpperBuffA(text, sizeof text - 1);
  EXPECT_STREQ(text, "A.JWSビ表");
}

}  // namespace
#endif
