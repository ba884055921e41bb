#pragma once
// INI files as the reporter's dialog keeps its window geometry in them: "[Section]" lines and
// "Key=Value" lines, Windows-1252, CR LF. Sections and keys match regardless of ASCII letter case.
#include <string>

// The value (blanks around it and one pair of enclosing quotes removed), at most 2048 characters;
// Default when the file, section or key is missing or the file cannot be read.
std::string ReadIniText(const std::string& FileName, const std::string& Section, const std::string& Key,
                        const std::string& Default);
// Sets the value, adding the key or the section when missing and keeping every other line. Line
// breaks inside the names or the value are dropped (they would break the file). The file is
// replaced in one step, so a crash leaves the old one or the new one; failures are ignored.
void WriteIniText(const std::string& FileName, const std::string& Section, const std::string& Key,
                  const std::string& Value);
