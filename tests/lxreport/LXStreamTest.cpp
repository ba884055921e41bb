#include "lxreport/LXStream.h"

#include <gtest/gtest.h>

#include "platform/classes/TempFiles.h"
#include "platform/rtl/SysUtils.h"

TEST(LXStreamTest, SpillsOnlyPastTheLimit) {
  std::string Spill;
  {
    TLXStream S(10);
    uint8_t Ten[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    S.WriteBuffer(Ten, 10);
    EXPECT_TRUE(S.InMemory());  // exactly at the limit stays in memory
    S.WriteByte(10);
    ASSERT_FALSE(S.InMemory());
    Spill = S.FileName();
    EXPECT_TRUE(FileExists(Spill));
    EXPECT_EQ(ExtractFileName(Spill).rfind("LXP", 0), 0u);
    EXPECT_EQ(ExtractFilePath(Spill), GetTempPath());
    EXPECT_EQ(S.Position(), 11);  // at the end of the data; writes append
    S.WriteByte(11);
    EXPECT_EQ(S.Size(), 12);
    S.SetPosition(9);
    EXPECT_EQ(S.ReadByte(), 9);
    EXPECT_EQ(S.ReadByte(), 10);
  }
  EXPECT_FALSE(FileExists(Spill));  // the spill file dies with the stream
}

TEST(LXStreamTest, OpenedFileIsKeptAndSavedWhole) {
  std::string Path = GetTempFileName(GetTempPath(), "tst");
  {
    TFileStream F(Path, fmCreate);
    for (int I = 0; I < 25000; ++I) F.WriteByte(static_cast<uint8_t>(I * 7));
  }
  {
    auto S = TLXStream::CreateFromFile(Path);
    EXPECT_FALSE(S->InMemory());
    EXPECT_TRUE(S->FileName().empty());
    EXPECT_EQ(S->MemoryLimit(), 0);
    S->Seek(100, soBeginning);
    TMemoryStream Copy;
    S->SaveToStream(Copy);  // the whole stream, whatever the position
    ASSERT_EQ(Copy.Size(), 25000);
    EXPECT_EQ(Copy.Bytes()[24999], static_cast<uint8_t>(24999 * 7));
  }
  EXPECT_TRUE(FileExists(Path));
  DeleteFile(Path);
  EXPECT_THROW(TLXStream::CreateFromFile("/nonexistent-dir-xyz/r.lxp"), EFOpenError);
}

TEST(LXStreamTest, SaveEmptyWritesNothing) {
  TLXStream S(100000);
  TMemoryStream Out;
  S.SaveToStream(Out);
  EXPECT_EQ(Out.Size(), 0);
}
