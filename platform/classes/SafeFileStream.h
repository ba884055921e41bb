#pragma once
// A file written under a temporary name in its own folder and put in place by Commit only: until
// then an earlier file of that name stays as it was, and a stream freed without Commit leaves
// nothing behind. So a write that fails half-way (a full disk, a refused run) never leaves a cut
// file where a good one was, or a cut file at all.
#include <cstdint>
#include <string>

#include "platform/classes/Streams.h"

class TSafeFileStream : public TStream {
public:
  // Makes the temporary file beside FileName (through a symbolic link: beside the file it names).
  // Raises EFCreateError with the file's name and the reason when the folder refuses it.
  explicit TSafeFileStream(const std::string& FileName);
  // Without Commit the temporary file goes.
  ~TSafeFileStream() override;
  TSafeFileStream(const TSafeFileStream&) = delete;
  TSafeFileStream& operator=(const TSafeFileStream&) = delete;

  // Buffered. Raises EWriteError naming the file and the reason (the system's) when the bytes
  // cannot be written; every later write raises the same.
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

  // Writes what is buffered, makes it durable and renames the file into place, keeping an earlier
  // file's permissions. Raises EWriteError (name and reason) and then leaves nothing behind.
  void Commit();
  // Writes what is buffered and closes the file under its temporary name, for a writer of many
  // files that puts them all in place at the end (Commit then only renames, without syncing).
  void Close();
  // Drops the temporary file now; nothing was put in place.
  void Discard();

  // The name asked for, and the temporary file's path while it exists.
  const std::string& FileName() const { return FFileName; }
  const std::string& TempFileName() const { return FTempName; }
  bool Committed() const { return FCommitted; }
  // The system's error number of the write that failed, 0 while none has.
  int Error() const { return FError; }

private:
  void FlushBuffer();
  [[noreturn]] void Fail(int Error);

  std::string FFileName;  // as given: what messages name
  std::string FTarget;    // where the file goes (a link's target)
  std::string FTempName;
  int FHandle = -1;
  int FError = 0;
  bool FCommitted = false;
  std::string FBuffer;
};
