#pragma once
// A file type made known to the desktop the freedesktop way, for the user only: a MIME type with
// the extension's glob (mime/packages/<Id>.xml) and a desktop entry that opens such files
// (applications/<Id>.desktop, Exec=<command> %f), both under $XDG_DATA_HOME; then the desktop's
// caches are refreshed with update-mime-database and update-desktop-database when those programs
// exist and an entry changed. Nothing is written to system folders, and nothing fails when the
// tools are missing.
#include <cstdint>
#include <string>
#include <vector>

struct TDesktopFileType {
  std::string Id;           // file names of the two entries, e.g. "mivoreport-lxp"
  std::string Extension;    // with or without its leading "."
  std::string MimeType;     // e.g. "application/x-lxp"
  std::string Description;  // the MIME type's comment (and the entry's name when Name is empty)
  std::string Command;      // the program's full path
  std::string Icon;         // an image file or a theme icon name; empty: none
  std::string Name;         // the entry's name: the program's, as menus and "open with" show it
};

// Puts a program's square PNG picture of Size pixels into the user's icon theme folder
// ($XDG_DATA_HOME/icons/hicolor/<Size>x<Size>/apps/<Name>.png), unless it is there already, and
// answers the theme icon name to give desktop entries (Name); empty when it could not be written.
std::string InstallDesktopIcon(const std::string& Name, const std::vector<uint8_t>& Png, int Size);

// The program and its arguments as the desktop entry's Exec key wants them: an argument with a
// reserved character in double quotes with `"`, "`", "$" and "\" escaped, "%" doubled, and the
// whole escaped once more as a desktop-entry string.
std::string DesktopExecArgument(const std::string& Arg);

// Writes both files; false when the data folder is unknown or a file cannot be written (never
// raises). Tools run with their output discarded.
bool RegisterDesktopFileType(const TDesktopFileType& Type);
