#pragma once
// Shared libraries loaded by name at run time and their entries looked up by
// name: the seam for components that are files of their own (a library a
// program may be installed without).
#include <string>

using TLibraryHandle = void*;

// Loads a library by file name. A bare name is looked for in the program's own
// folder first, then where the system looks for libraries; a name with a '/'
// is opened as it stands. Answers nullptr when it cannot be loaded.
TLibraryHandle LoadLibrary(const std::string& Name);
// The address of an exported entry, nullptr when the library has none of that name.
void* GetProcAddress(TLibraryHandle Library, const std::string& Name);
// The file a loaded library was found in (empty when unknown): loading that path again finds the
// loaded library without searching the folders once more.
std::string LibraryFileName(TLibraryHandle Library);
// Drops one load of the library (the system unloads it with its last).
void FreeLibrary(TLibraryHandle Library);
// Why the last LoadLibrary or GetProcAddress of this thread failed, for a developer.
std::string LibraryError();
