#pragma once
#include <string>

// The system temporary folder with a trailing '/': $TMPDIR, else /tmp.
std::string GetTempPath();
// Creates a new empty file named Prefix + unique suffix in Dir and returns its path.
// Raises EFCreateError when no file can be made.
std::string GetTempFileName(const std::string& Dir, const std::string& Prefix);
