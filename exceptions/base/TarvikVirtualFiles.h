#pragma once
// Virtual files: named shared-memory blocks through which the copies of the reporter in a process
// (the program's and each library's) hand each other the current exception ("EXCEPT") and their
// options ("MODULE"). A file's name is the process id (8 upper-case hexadecimal digits), the
// module handle (16 digits) and the file's own name; the block holds its own size in 4 bytes
// (little-endian), then the data. Whoever creates a file removes its name when deleting it.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "platform/sys/Modules.h"
#include "platform/sys/SharedMemory.h"

class TStream;

class TVirtualFile {
public:
  uint8_t* Data() const { return FMemory.Data() + 4; }
  size_t DataSize() const { return FDataSize; }
  const std::string& Name() const { return FMemory.Name(); }
  // Copies at most DataSize() bytes (a file opened by name keeps the size it was made with);
  // returns how many were copied.
  size_t Write(const void* Bytes, size_t Count);

private:
  friend std::unique_ptr<TVirtualFile> CreateVirtualFile(TModuleHandle, const std::string&, size_t);
  friend std::unique_ptr<TVirtualFile> OpenVirtualFile(int, TModuleHandle, const std::string&);
  friend void DeleteVirtualFile(std::unique_ptr<TVirtualFile>&);
  TSharedMemory FMemory;
  size_t FDataSize = 0;
  bool FOwner = false;
};

std::string VirtualFileName(int ProcessId, TModuleHandle Module, const std::string& FileName);
// DataSize > 0: makes the file of this process with DataSize bytes of data (zero-filled). A name
// that exists already is left from an earlier process with the same id that ended without
// removing it, and is replaced. DataSize 0: opens the existing file only. Null when there is no
// file or the system refuses.
std::unique_ptr<TVirtualFile> CreateVirtualFile(TModuleHandle Module, const std::string& FileName, size_t DataSize);
// Opens an existing file of any process (data size from the block's own size prefix, bounded by
// the block); null when there is none.
std::unique_ptr<TVirtualFile> OpenVirtualFile(int ProcessId, TModuleHandle Module, const std::string& FileName);
// Closes the file and, for its creator, removes the name. Leaves File null.
void DeleteVirtualFile(std::unique_ptr<TVirtualFile>& File);

// The string form of the virtual files: a 32-bit length, then the Windows-1252 characters; a
// text whose only CR LF is at its end is written without it. Reading raises EReadError when the
// length passes the end of the stream; a length of 0 or less is an empty text.
void WriteVirtualString(TStream& Stream, const std::string& Text);
std::string ReadVirtualString(TStream& Stream);

// The reporter's own module (the program or library this library is linked into).
TModuleHandle ReporterModuleHandle();
std::string ReporterModuleFileName();

// The reporter's "EXCEPT" and "MODULE" files: made at start-up with one byte 0 (nothing
// recorded), removed at shutdown.
void CreateReporterVirtualFiles();
void DeleteReporterVirtualFiles();
bool ReporterVirtualFilesExist();
// Rewrites "EXCEPT": byte 1, the exception's class name and message (DescribeException).
void WriteExceptVirtualFile(const std::exception_ptr& E);
// The same with the class name and message given.
void WriteExceptVirtualFile(const std::string& ClassName, const std::string& Message);
// Rewrites "MODULE": byte 1, then the options stream. Nothing before start-up.
void WriteModuleVirtualFile(const void* OptionsStream, size_t Size);

// What a module's "EXCEPT" file holds; nullopt when there is no file or its bytes are damaged.
struct TExceptFileContents {
  bool Recorded = false;
  std::string ClassName;
  std::string Message;
};
std::optional<TExceptFileContents> ReadExceptVirtualFile(int ProcessId, TModuleHandle Module);
// The same from the bytes of such a file (another module wrote them: every length is checked).
std::optional<TExceptFileContents> ParseExceptFileContents(const uint8_t* Data, size_t Size);
