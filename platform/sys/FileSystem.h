#pragma once
// Folders: whether a program may write into one, making one, and the user's state folder.
#include <string>

bool DirectoryExists(const std::string& Dir);
// True when Dir exists and this process may create files in it.
bool DirectoryWritable(const std::string& Dir);
// Makes Dir and every missing parent (mode 0700 for the new ones); true when Dir exists afterwards.
bool ForceDirectories(const std::string& Dir);
// Where a program keeps state that outlives a run (logs, traces): $XDG_STATE_HOME when it is an
// absolute path, else $HOME/.local/state; empty when neither is known. No trailing '/'.
std::string StateHomeDirectory();
// The same for settings ($XDG_CONFIG_HOME, else $HOME/.config) and for data the desktop reads
// ($XDG_DATA_HOME, else $HOME/.local/share).
std::string ConfigHomeDirectory();
std::string DataHomeDirectory();
