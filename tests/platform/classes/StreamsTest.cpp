#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <fstream>

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
  // What cannot be opened is said with the file and the system's reason, in the program's language
  // (a folder opens on Linux, but is no file to read).
  struct Case {
    std::string File;
    const char* Why;
  } Cases[] = {{"/nonexistent-dir-xyz/a", SNoSuchFile}, {GetTempPath(), SIsAFolder}, {Path + "/a", SNotAFolder}};
  std::ofstream(Path) << "x";
  for (const Case& C : Cases) {
    try {
      TFileStream F(C.File, fmOpenRead);
      ADD_FAILURE() << C.File << " opened";
    } catch (const EFOpenError& E) {
      EXPECT_EQ(Format(SFOpenError, {C.File, C.Why}), E.Message());
    }
  }
  DeleteFile(Path);
}

TEST(StreamTest, CopyFromWholeStream) {
  TMemoryStream Src, Dst;
  for (int I = 0; I < 100000; ++I) Src.WriteByte(static_cast<uint8_t>(I));
  Src.Seek(10, soBeginning);
  EXPECT_EQ(Dst.CopyFrom(Src, 0), 100000);
  EXPECT_EQ(Dst.Bytes(), Src.Bytes());
}
