#pragma once
// A file read and rewritten whole by several processes in turn: opened with an advisory lock
// (flock) that other processes using this class respect, held until the object goes. The file is
// rewritten in place, never replaced, so a process waiting for the lock reads what the holder
// wrote.
#include <memory>
#include <string>

#include "platform/rtl/SysUtils.h"

// The lock was not got within the time allowed: another process holds it.
DECLARE_EXCEPTION(EFileLocked, EStreamError)

class TLockedFile {
public:
  enum TMode {
    lmRead,      // shared lock; a missing file is no error (Exists() false)
    lmReadWrite  // exclusive lock; a missing file is made empty, with its folder
  };
  // Waits up to TimeoutMs for the lock. Raises EFileLocked when the wait runs out, EFOpenError when
  // the file cannot be opened or made. Where the file system has no locks the file is used
  // without one (LockHeld() false).
  TLockedFile(const std::string& FileName, TMode Mode, int TimeoutMs);
  ~TLockedFile();
  TLockedFile(const TLockedFile&) = delete;
  TLockedFile& operator=(const TLockedFile&) = delete;

  bool Exists() const { return FHandle >= 0; }
  bool LockHeld() const { return FLocked; }
  // Every byte of the file. Raises EReadError when reading fails.
  std::string ReadAll() const;
  // Replaces the contents with Bytes: written from the start, then the file is cut after them.
  // Raises EWriteError (nothing for a file opened lmRead).
  void Rewrite(const std::string& Bytes);

private:
  std::string FFileName;
  int FHandle = -1;
  bool FLocked = false;
};
