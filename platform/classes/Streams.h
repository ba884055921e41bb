#pragma once
// Streams with the class library's semantics: Position and Size go through Seek.
#include <cstdint>
#include <string>
#include <vector>

enum TSeekOrigin : uint16_t { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// Where a seek lands in a stream of Size bytes standing at Position; never before the start.
inline int64_t SeekedPosition(int64_t Position, int64_t Size, int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: Position = Offset; break;
    case soCurrent: Position += Offset; break;
    case soEnd: Position = Size + Offset; break;
  }
  return Position < 0 ? 0 : Position;
}
constexpr uint16_t soFromBeginning = soBeginning, soFromCurrent = soCurrent, soFromEnd = soEnd;

class TStream {
public:
  virtual ~TStream() = default;
  // Reads up to Count bytes; returns how many were read.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);

  // Raise EReadError / EWriteError when fewer than Count bytes move.
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source (all of it from position 0 when Count is 0).
  int64_t CopyFrom(TStream& Source, int64_t Count);

  // Little-endian helpers for fixed-layout records.
  uint8_t ReadByte();
  int16_t ReadInt16();
  uint16_t ReadUInt16();
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  int64_t ReadInt64();
  double ReadDouble();
  void WriteByte(uint8_t V);
  void WriteInt16(int16_t V);
  void WriteUInt16(uint16_t V);
  void WriteInt32(int32_t V);
  void WriteUInt32(uint32_t V);
  void WriteInt64(int64_t V);
  void WriteDouble(double V);
};

// Bytes kept in memory; grows on write.
class TMemoryStream : public TStream {
public:
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void SetSize(int64_t NewSize) override;

  uint8_t* Memory() { return FData.data(); }
  const uint8_t* Memory() const { return FData.data(); }
  const std::vector<uint8_t>& Bytes() const { return FData; }
  void Clear();
  void LoadFromStream(TStream& Source);
  void SaveToStream(TStream& Dest);
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

// Read-only view over bytes the caller keeps alive.
class TBytesStream : public TStream {
public:
  TBytesStream(const void* Data, int64_t Size) : FData(static_cast<const uint8_t*>(Data)), FSize(Size) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

private:
  const uint8_t* FData;
  int64_t FSize;
  int64_t FPosition = 0;
};

// File modes as the class library numbers them.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class THandleStream : public TStream {
public:
  explicit THandleStream(int Handle) : FHandle(Handle) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  int Handle() const { return FHandle; }

protected:
  int FHandle;
};

// Raises EFCreateError / EFOpenError. On Linux sharing modes lock nothing:
// other readers and writers are always allowed.
class TFileStream : public THandleStream {
public:
  TFileStream(const std::string& FileName, uint16_t Mode);
  ~TFileStream() override;
  const std::string& FileName() const { return FFileName; }

private:
  std::string FFileName;
};
