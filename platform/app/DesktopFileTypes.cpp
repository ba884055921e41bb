#include "platform/app/DesktopFileTypes.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/sys/FileSystem.h"

extern char** environ;

namespace {
// A desktop-entry string value: no line breaks, backslashes doubled.
std::string EntryValue(const std::string& S) {
  std::string R;
  for (char C : S) {
    if (C == '\\') R += "\\\\";
    else if (C == '\n') R += "\\n";
    else if (C == '\r') R += "\\r";
    else if (C == '\t') R += "\\t";
    else R += C;
  }
  return R;
}

// Writes Text unless the file holds it already; Changed tells whether it wrote.
bool WriteWhole(const std::string& FileName, const std::string& Text, bool& Changed) {
  {
    std::ifstream In(FileName, std::ios::binary);
    std::string Old{std::istreambuf_iterator<char>(In), {}};
    if (In.good() || In.eof()) {
      if (Old == Text) return true;
    }
  }
  Changed = true;
  std::string Temp = FileName + ".new";
  {
    std::ofstream Out(Temp, std::ios::binary | std::ios::trunc);
    Out << Text;
    Out.close();
    if (!Out) {
      std::remove(Temp.c_str());
      return false;
    }
  }
  if (std::rename(Temp.c_str(), FileName.c_str()) == 0) return true;
  std::remove(Temp.c_str());
  return false;
}

// Runs Program (looked up on PATH) with one argument, its output discarded, and waits for it.
void RunTool(const char* Program, const std::string& Arg) {
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> Argv{const_cast<char*>(Program), const_cast<char*>(Arg.c_str()), nullptr};
  pid_t Pid;
  if (posix_spawnp(&Pid, Program, &Actions, nullptr, Argv.data(), environ) == 0) {
    int Status;
    while (::waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
    }
  }
  posix_spawn_file_actions_destroy(&Actions);
}
}  // namespace

std::string DesktopExecArgument(const std::string& Arg) {
  bool Quote = Arg.empty() || Arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`=%") != std::string::npos;
  std::string R;
  for (char C : Arg) {
    if (C == '%') {
      R += "%%";
    } else if (Quote && (C == '"' || C == '`' || C == '$' || C == '\\')) {
      R += '\\', R += C;
    } else {
      R += C;
    }
  }
  return EntryValue(Quote ? '"' + R + '"' : R);
}

bool RegisterDesktopFileType(const TDesktopFileType& Type) {
  std::string Data = DataHomeDirectory();
  if (Data.empty() || Type.Id.empty() || Type.MimeType.empty()) return false;
  std::string Ext = Type.Extension;
  while (!Ext.empty() && Ext.front() == '.') Ext.erase(0, 1);
  std::string MimeDir = Data + "/mime", Packages = MimeDir + "/packages", Apps = Data + "/applications";
  if (!ForceDirectories(Packages) || !ForceDirectories(Apps)) return false;

  std::string Xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                    "  <mime-type type=\"" + HtmlEscape(Type.MimeType) + "\">\n"
                    "    <comment>" + HtmlEscape(Type.Description) + "</comment>\n";
  if (!Ext.empty()) Xml += "    <glob pattern=\"*." + HtmlEscape(Ext) + "\"/>\n";
  Xml += "  </mime-type>\n</mime-info>\n";

  std::string Entry = "[Desktop Entry]\nType=Application\nName=" +
                      EntryValue(Type.Name.empty() ? Type.Description : Type.Name) +
                      "\nExec=" + DesktopExecArgument(Type.Command) + " %f\nMimeType=" +
                      EntryValue(Type.MimeType) + ";\n";
  if (!Type.Icon.empty()) Entry += "Icon=" + EntryValue(Type.Icon) + "\n";
  Entry += "Terminal=false\nNoDisplay=true\n";

  // The caches are rebuilt only when an entry changed: the tools take long, and this runs at every start.
  bool MimeChanged = false, EntryChanged = false;
  if (!WriteWhole(Packages + "/" + Type.Id + ".xml", Xml, MimeChanged)) return false;
  if (!WriteWhole(Apps + "/" + Type.Id + ".desktop", Entry, EntryChanged)) return false;
  if (MimeChanged) RunTool("update-mime-database", MimeDir);
  if (EntryChanged) RunTool("update-desktop-database", Apps);
  return true;
}

std::string InstallDesktopIcon(const std::string& Name, const std::vector<uint8_t>& Png, int Size) {
  std::string Data = DataHomeDirectory();
  if (Data.empty() || Name.empty() || Png.empty() || Size <= 0) return {};
  std::string Dir = Data + "/icons/hicolor/" + std::to_string(Size) + "x" + std::to_string(Size) + "/apps";
  if (!ForceDirectories(Dir)) return {};
  bool Changed = false;
  if (!WriteWhole(Dir + "/" + Name + ".png", std::string(Png.begin(), Png.end()), Changed)) return {};
  return Name;
}
