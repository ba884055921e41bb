#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/TempFiles.h"
#include "platform/rtl/SysUtils.h"

TEST(MemoryStreamTest, ReadWriteSeek) {
  TMemoryStream M;
  M.WriteInt32(0x01020304);
  M.WriteUInt16(362);
  M.WriteDouble(1.5);
  EXPECT_EQ(M.Size(), 14);
  EXPECT_EQ(M.Position(), 14);
  EXPECT_EQ(M.Bytes()[0], 0x04);  // little-endian
  M.SetPosition(0);
  EXPECT_EQ(M.ReadInt32(), 0x01020304);
  EXPECT_EQ(M.ReadUInt16(), 362);
  EXPECT_EQ(M.ReadDouble(), 1.5);
  uint8_t B;
  EXPECT_EQ(M.Read(&B, 1), 0);
  EXPECT_THROW(M.ReadByte(), EReadError);
  // Writing past the end after a seek grows the stream.
  M.Seek(4, soEnd);
  M.WriteByte(9);
  EXPECT_EQ(M.Size(), 19);
}

TEST(FileStreamTest, CreateReplaceAndShareReaders) {
  std::string Path = GetTempFileName(GetTempPath(), "tst");
  {
    TFileStream F(Path, fmCreate);
    F.WriteInt32(7);
    F.WriteInt32(8);
    // A second reader while the writer is open.
    TFileStream R(Path, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(R.Size(), 8);
    EXPECT_EQ(R.ReadInt32(), 7);
  }
  {
    TFileStream F(Path, fmCreate);  // replaces
    F.WriteByte(1);
  }
  TFileStream R(Path, fmOpenRead);
  EXPECT_EQ(R.Size(), 1);
  EXPECT_THROW(R.WriteBuffer("x", 1), EWriteError);
  DeleteFile(Path);
  EXPECT_THROW(TFileStream("/nonexistent-dir-xyz/a", fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream("/nonexistent-dir-xyz/a", fmOpenRead), EFOpenError);
  // A folder is no file to read, and the message says which it is.
  try {
    TFileStream Folder(GetTempPath(), fmOpenRead);
    ADD_FAILURE() << "a folder opened as a file";
  } catch (const EFOpenError& E) {
    EXPECT_NE(std::string(E.what()).find(SIsAFolder), std::string::npos) << E.what();
  }
}

TEST(StreamTest, CopyFromWholeStream) {
  TMemoryStream Src, Dst;
  for (int I = 0; I < 100000; ++I) Src.WriteByte(static_cast<uint8_t>(I));
  Src.Seek(10, soBeginning);
  EXPECT_EQ(Dst.CopyFrom(Src, 0), 100000);
  EXPECT_EQ(Dst.Bytes(), Src.Bytes());
}
