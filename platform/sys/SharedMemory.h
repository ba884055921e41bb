#pragma once
// Named shared memory: a block of bytes that other processes of the same user open by name
// (POSIX shm_open and mmap). A name lives until Remove, not until the last user closes it, so
// whoever makes a name removes it.
#include <cstddef>
#include <cstdint>
#include <string>

class TSharedMemory {
public:
  TSharedMemory() = default;
  // Unmaps and closes; the name stays.
  ~TSharedMemory() { Close(); }
  TSharedMemory(const TSharedMemory&) = delete;
  TSharedMemory& operator=(const TSharedMemory&) = delete;
  TSharedMemory(TSharedMemory&& Other) noexcept { *this = static_cast<TSharedMemory&&>(Other); }
  TSharedMemory& operator=(TSharedMemory&& Other) noexcept;

  // Makes a new block of Size bytes (zero-filled) and maps it. False when the name exists already,
  // the name is not valid (empty or holding '/'), or the system refuses.
  bool Create(const std::string& Name, size_t Size);
  // Maps an existing block with the size it has. False when there is none.
  bool Open(const std::string& Name);
  void Close();
  // Removes the name; blocks already mapped stay readable for their users.
  static bool Remove(const std::string& Name);
  static bool Exists(const std::string& Name);

  bool Active() const { return FHandle >= 0; }
  uint8_t* Data() const { return FData; }
  size_t Size() const { return FSize; }
  const std::string& Name() const { return FName; }

private:
  bool Map(int Handle, size_t Size);
  std::string FName;
  int FHandle = -1;
  uint8_t* FData = nullptr;
  size_t FSize = 0;
};
