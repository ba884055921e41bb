#pragma once
// A file type made known to the desktop the freedesktop way, for the user only: a MIME type with
// the extension's glob (mime/packages/<Id>.xml) and a desktop entry that opens such files
// (applications/<Id>.desktop, Exec=<command> %f), both under $XDG_DATA_HOME; then the desktop's
// caches are refreshed with update-mime-database and update-desktop-database when those programs
// exist and an entry changed. Nothing is written to system folders, and nothing fails when the
// tools are missing.
#include <string>

struct TDesktopFileType {
  std::string Id;           // file names of the two entries, e.g. "mivoreport-lxp"
  std::string Extension;    // with or without its leading "."
  std::string MimeType;     // e.g. "application/x-lxp"
  std::string Description;  // the MIME type's comment and the entry's name
  std::string Command;      // the program's full path
  std::string Icon;         // an image file or a theme icon name; empty: none
};

// The program and its arguments as the desktop entry's Exec key wants them: an argument with a
// reserved character in double quotes with `"`, "`", "$" and "\" escaped, "%" doubled, and the
// whole escaped once more as a desktop-entry string.
std::string DesktopExecArgument(const std::string& Arg);

// Writes both files; false when the data folder is unknown or a file cannot be written (never
// raises). Tools run with their output discarded.
bool RegisterDesktopFileType(const TDesktopFileType& Type);
