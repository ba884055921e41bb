#include "exceptions/base/TarvikIni.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/exceptions/ReporterTestSupport.h"

namespace {
void WriteBytes(const std::string& Path, const std::string& Bytes) {
  FILE* F = std::fopen(Path.c_str(), "wb");
  ASSERT_NE(F, nullptr);
  std::fwrite(Bytes.data(), 1, Bytes.size(), F);
  std::fclose(F);
}

TEST(TarvikIniTest, Reading) {
  TTempName Ini("read.ini");
  EXPECT_EQ(ReadIniText(Ini.Path(), "Dialog", "Left", "def"), "def");  // no file
  WriteBytes(Ini.Path(),
             "; window geometry\r\n[Other]\r\nLeft=1\r\n[ Dialog ]\r\n  LEFT =  120  \r\nTitle=\"  quoted  \"\r\n"
             "Name=Posi\xE7\xE3o\nEmpty=\r\n[Last]\r\nLong=" +
                 std::string(3000, 'x') + "\r\n");
  struct {
    const char *Section, *Key, *Expected;
  } Cases[] = {
      {"dialog", "left", "120"},       // names match in any case, blanks around go
      {"Dialog", "Title", "  quoted  "},  // one pair of quotes goes, what they hold stays
      {"Dialog", "Name", "Posição"},   // Windows-1252 in the file
      {"Dialog", "Empty", ""},
      {"Dialog", "Top", "def"},
      {"Other", "Title", "def"},       // keys belong to their section
      {"Missing", "Left", "def"},
  };
  for (const auto& C : Cases) EXPECT_EQ(ReadIniText(Ini.Path(), C.Section, C.Key, "def"), C.Expected) << C.Key;
  EXPECT_EQ(ReadIniText(Ini.Path(), "Last", "Long", ""), std::string(2048, 'x'));
}

TEST(TarvikIniTest, Writing) {
  TTempName Ini("write.ini");
  WriteIniText(Ini.Path(), "Dialog", "Left", "10");
  EXPECT_EQ(ReadFileBytes(Ini.Path()), "[Dialog]\r\nLeft=10\r\n");
  WriteBytes(Ini.Path(), "; kept\r\n[Dialog]\r\nleft=10\r\nTop=5\r\n\r\n[Other]\r\nA=1\r\n");
  WriteIniText(Ini.Path(), "DIALOG", "Left", "20");         // replaced where it stands
  WriteIniText(Ini.Path(), "Dialog", "Width", "Posição");   // added after the section's last line
  WriteIniText(Ini.Path(), "New", "Key", "line\r\nbreak");  // a new section; line breaks would break the file
  EXPECT_EQ(ReadFileBytes(Ini.Path()),
            "; kept\r\n[Dialog]\r\nLeft=20\r\nTop=5\r\nWidth=Posi\xE7\xE3o\r\n\r\n[Other]\r\nA=1\r\n[New]\r\nKey=linebreak\r\n");
  // A file that cannot be written is no error.
  WriteIniText("/nonexistent-folder/x.ini", "Dialog", "Left", "1");
  EXPECT_EQ(ReadIniText("/nonexistent-folder/x.ini", "Dialog", "Left", "d"), "d");
}
}  // namespace
