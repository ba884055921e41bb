// The build step that gives a linked program or library its reporter data: reads the file's
// DWARF, makes the debug data, adds the options of a project file, and writes the block that
// CMake's mor_add_debug_data puts into the file's ".tvdata" section (and the version texts for
// ".tvversion").
//
//   tarvik_debug_gen --input FILE --output DATA [--options INI] [--source-root DIR]
//                    [--version-output FILE --version X.Y.Z --description TEXT]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/tools/DebugDataWriter.h"
#include "exceptions/tools/DwarfModel.h"
#include "platform/rtl/SysUtils.h"

namespace {
[[noreturn]] void Fail(const std::string& Text) { throw std::runtime_error(Text); }

std::string Lower(std::string S) {
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

std::string Trim(const std::string& S) {
  size_t B = S.find_first_not_of(" \t\r"), E = S.find_last_not_of(" \t\r");
  return B == std::string::npos ? std::string() : S.substr(B, E - B + 1);
}

bool Bool(const std::string& Key, const std::string& V) {
  std::string L = Lower(V);
  if (L == "1" || L == "true" || L == "yes") return true;
  if (L == "0" || L == "false" || L == "no") return false;
  Fail("option " + Key + ": \"" + V + "\" is no boolean (1/0, true/false, yes/no)");
}

int32_t Int(const std::string& Key, const std::string& V) {
  try {
    size_t End = 0;
    long long N = std::stoll(V, &End, 0);
    if (End == V.size() && N >= INT32_MIN && N <= UINT32_MAX) return static_cast<int32_t>(N);
  } catch (const std::exception&) {
  }
  Fail("option " + Key + ": \"" + V + "\" is no number");
}

// "\n" in a value is a line break (CR LF), "\\" a backslash.
std::string Text(const std::string& V) {
  std::string R;
  for (size_t I = 0; I < V.size(); ++I) {
    if (V[I] == '\\' && I + 1 < V.size() && (V[I + 1] == 'n' || V[I + 1] == '\\')) {
      R += V[++I] == 'n' ? "\r\n" : "\\";
      continue;
    }
    R += V[I];
  }
  return R;
}

using TSetter = std::function<void(TTarvikModuleOptions&, const std::string& Key, const std::string& Value)>;

const std::map<std::string, TSetter>& Setters() {
  using O = TTarvikModuleOptions;
  static const std::map<std::string, TSetter> Map = [] {
    std::map<std::string, TSetter> M;
    auto B = [&M](const char* Name, void (O::*Set)(bool)) {
      M[Lower(Name)] = [Set](O& Opt, const std::string& K, const std::string& V) { (Opt.*Set)(Bool(K, V)); };
    };
    auto I = [&M](const char* Name, std::function<void(O&, int32_t)> Set) {
      M[Lower(Name)] = [Set](O& Opt, const std::string& K, const std::string& V) { Set(Opt, Int(K, V)); };
    };
    auto S = [&M](const char* Name, void (O::*Set)(const std::string&)) {
      M[Lower(Name)] = [Set](O& Opt, const std::string&, const std::string& V) { (Opt.*Set)(Text(V)); };
    };
    B("ReservedFlag", &O::SetReservedFlag);
    B("ExceptionFilterActive", &O::SetExceptionFilterActive);
    B("ShowExceptionDialog", &O::SetShowExceptionDialog);
    B("MailLogInBody", &O::SetMailLogInBody);
    B("MailWholeLog", &O::SetMailWholeLog);
    B("AttachScreenshot", &O::SetAttachScreenshot);
    B("ShowSmtpProgress", &O::SetShowSmtpProgress);
    B("SaveLogFile", &O::SetSaveLogFile);
    B("CustomDialogLook", &O::SetCustomDialogLook);
    B("FreezeActive", &O::SetFreezeActive);
    B("TerminateButtonAfterErrors", &O::SetTerminateButtonAfterErrors);
    B("Active", &O::SetActive);
    I("LogFlags", [](O& Opt, int32_t V) { Opt.SetLogFlags(static_cast<uint8_t>(V)); });
    I("DialogStartTab", [](O& Opt, int32_t V) { Opt.SetDialogStartTab(static_cast<uint8_t>(V)); });
    I("FreezeTimeout", [](O& Opt, int32_t V) { Opt.SetFreezeTimeout(V); });
    I("SmtpPort", [](O& Opt, int32_t V) { Opt.SetSmtpPort(static_cast<uint16_t>(V)); });
    I("TerminateAction", [](O& Opt, int32_t V) { Opt.SetTerminateAction(static_cast<uint8_t>(V)); });
    I("MaxReportsInLog", [](O& Opt, int32_t V) { Opt.SetMaxReportsInLog(V); });
    I("TerminateButtonErrorCount", [](O& Opt, int32_t V) { Opt.SetTerminateButtonErrorCount(V); });
    I("MailSendMode", [](O& Opt, int32_t V) { Opt.SetMailSendMode(static_cast<uint8_t>(V)); });
    I("LogShowOptions", [](O& Opt, int32_t V) { Opt.SetLogShowOptions(static_cast<uint32_t>(V)); });
    S("FreezeMessage", &O::SetFreezeMessage);
    S("MailSender", &O::SetMailSender);
    S("SmtpHost", &O::SetSmtpHost);
    S("SmtpUserName", &O::SetSmtpUserName);
    S("SmtpPassword", &O::SetSmtpPassword);
    S("MailRecipients", &O::SetMailRecipients);
    S("MailSubject", &O::SetMailSubject);
    S("MailText", &O::SetMailText);
    S("OutputPath", &O::SetOutputPath);
    M["exceptionfilterclass"] = [](O& Opt, const std::string&, const std::string& V) {
      Opt.ExceptionFilterClasses().Add(Text(V));
    };
    M["exceptionfiltermessage"] = [](O& Opt, const std::string&, const std::string& V) {
      Opt.ExceptionFilterMessages().Add(Text(V));
    };
    return M;
  }();
  return Map;
}

// "Key=Value" lines; "[Section]", blank lines and lines starting with ";" or "#" are skipped.
// "Text<n>" sets customised text n.
void LoadOptionsFile(const std::string& FileName, TTarvikModuleOptions& Options) {
  std::ifstream In(FileName);
  if (!In) Fail("cannot read the options file " + FileName);
  std::string Line;
  int No = 0;
  while (std::getline(In, Line)) {
    ++No;
    Line = Trim(Line);
    if (Line.empty() || Line[0] == ';' || Line[0] == '#' || Line[0] == '[') continue;
    size_t Eq = Line.find('=');
    if (Eq == std::string::npos) Fail(FileName + ":" + std::to_string(No) + ": no \"=\"");
    std::string Key = Trim(Line.substr(0, Eq)), Value = Trim(Line.substr(Eq + 1));
    std::string L = Lower(Key);
    if (L.compare(0, 4, "text") == 0 && L.size() > 4 && L.find_first_not_of("0123456789", 4) == std::string::npos) {
      int Index = std::stoi(L.substr(4));
      if (Index >= CustomizedTextCount) Fail(FileName + ":" + std::to_string(No) + ": no text " + L.substr(4));
      Options.SetText(Index, Text(Value));
      continue;
    }
    auto It = Setters().find(L);
    if (It == Setters().end()) Fail(FileName + ":" + std::to_string(No) + ": unknown option " + Key);
    It->second(Options, Key, Value);
  }
}

// Four dot-separated numbers: missing ones are 0.
std::string FourPartVersion(const std::string& V) {
  std::string R;
  std::stringstream S(V);
  std::string Part;
  int N = 0;
  while (N < 4 && std::getline(S, Part, '.')) {
    if (Part.empty() || Part.find_first_not_of("0123456789") != std::string::npos) break;
    R += (N ? "." : "") + std::to_string(std::stoul(Part));
    ++N;
  }
  for (; N < 4; ++N) R += N ? ".0" : "0";
  return R;
}

void WriteFile(const std::string& FileName, const void* Data, size_t Size) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(static_cast<const char*>(Data), static_cast<std::streamsize>(Size));
  if (!Out) Fail("cannot write " + FileName);
}

int Run(int argc, char** argv) {
  std::map<std::string, std::string> Args;
  for (int I = 1; I < argc; ++I) {
    std::string A = argv[I];
    if (A.compare(0, 2, "--") != 0 || I + 1 >= argc) Fail("usage: see the head of TarvikDebugGen.cpp (at \"" + A + "\")");
    Args[A.substr(2)] = argv[++I];
  }
  for (const char* Required : {"input", "output"})
    if (!Args.count(Required)) Fail(std::string("missing --") + Required);
  const std::string& Input = Args["input"];

  TTarvikModuleOptions Options("", 0);
  if (Args.count("options")) LoadOptionsFile(Args["options"], Options);
  TDwarfModel Dwarf = ReadDwarfModel(Input, Args.count("source-root") ? Args["source-root"] : std::string());
  if (!Dwarf.HasDebugInfo)
    std::cerr << "tarvik_debug_gen: warning: " << Input
              << " has no DWARF (built without -g): the reporter will name procedures from exports only\n";
  std::vector<uint8_t> Debug = EncodeDebugData(Dwarf.Model);
  std::vector<uint8_t> Block = BuildReporterData(Options, Debug, DataStampOf(Debug));
  WriteFile(Args["output"], Block.data(), Block.size());
  if (Args.count("version-output")) {
    std::string Text = "FileDescription=" + (Args.count("description") ? Args["description"] : std::string()) +
                       "\nFileVersion=" + FourPartVersion(Args.count("version") ? Args["version"] : std::string()) + "\n";
    WriteFile(Args["version-output"], Text.data(), Text.size());
  }
  size_t Rows = 0;
  for (const TDebugUnit& U : Dwarf.Model.Units) Rows += U.Rows.size();
  std::cout << "tarvik_debug_gen: " << Input << ": " << Dwarf.CompileUnits << " compile units, "
            << Dwarf.Model.Units.size() << " units, " << Rows << " lines, " << Dwarf.Model.Procedures.size()
            << " named procedures; debug data " << Debug.size() << " bytes, section " << Block.size() << " bytes\n";
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& E) {
    std::cerr << "tarvik_debug_gen: " << E.what() << "\n";
    return 1;
  }
}
