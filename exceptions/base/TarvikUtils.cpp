#include "exceptions/base/TarvikUtils.h"

#include <cxxabi.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "exceptions/base/TarvikClassInfo.h"
#include "exceptions/base/TarvikTexts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/FileSystem.h"
#include "platform/sys/Process.h"

bool IsDebuggerAttached() { return DebuggerAttached(); }

uintptr_t GetStackBase() { return CurrentThreadStackBase(); }

int CurrentThreadId() { return static_cast<int>(::syscall(SYS_gettid)); }

bool IsMainThread() { return CurrentThreadId() == ::getpid(); }

bool IsCgiMode() { return IsConsole() && EnvironmentVariable("REQUEST_METHOD").has_value(); }

bool IsWebMode() { return IsCgiMode(); }

bool IsGuiMode() { return !IsWebMode() && !IsConsole(); }

std::string AddressText(uintptr_t Address) { return IntToHex(Address, 16); }

std::string ReplaceText(std::string_view Text, std::string_view Find, std::string_view Replacement) {
  if (Find.empty()) return std::string(Text);
  std::string R;
  size_t I = 0;
  for (;;) {
    size_t At = Text.find(Find, I);
    if (At == std::string_view::npos) break;
    R.append(Text, I, At - I);
    R += Replacement;
    I = At + Find.size();
  }
  R.append(Text, I);
  return R;
}

std::string HtmlEncode(std::string_view Text) {
  return ReplaceText(ReplaceText(HtmlEscape(Text), "\r\n", "<br>"), " ", "&nbsp;");
}

std::string IfThenText(bool Condition, std::string_view Text1, std::string_view Text2) {
  return std::string(Condition ? Text1 : Text2);
}

std::string IfText(bool Condition, std::string_view Text) { return Condition ? std::string(Text) : std::string(); }

int GetDefaultCharset() { return 0; }

std::string DropLoneTrailingLineBreak(std::string_view Text) {
  if (Text.size() > 1 && Text.find("\r\n") == Text.size() - 2) Text.remove_suffix(2);
  return std::string(Text);
}

std::string WritableOutputPath(const std::string& Path) {
  std::string Dir = ExtractFilePath(Path);
  if (!Dir.empty() && DirectoryWritable(Dir)) return Path;
  std::string State = StateHomeDirectory();
  if (State.empty()) return Path;
  std::string Program = ChangeFileExt(ExtractFileName(ProgramPath()), "");
  if (Program.empty()) Program = "program";
  return State + "/" + Program + "/" + ExtractFileName(Path);
}

std::string DemangledTypeName(const char* MangledName) {
  if (!MangledName) return std::string();
  int Status = 0;
  std::unique_ptr<char, void (*)(void*)> Name(abi::__cxa_demangle(MangledName, nullptr, nullptr, &Status), std::free);
  return Status == 0 && Name ? std::string(Name.get()) : std::string(MangledName);
}

TExceptionDescription DescribeException(const std::exception_ptr& E) { return DescribeThrown(ThrownObjectOf(E)); }

std::string CrLfLines(std::string_view Text) {
  std::string R;
  R.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] == '\r' || Text[I] == '\n') {
      if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
      R += "\r\n";
    } else {
      R += Text[I];
    }
  }
  return R;
}

std::string SystemErrorText(int Code) {
  char Buffer[256];
  return strerror_r(Code, Buffer, sizeof Buffer);
}
