// The options stream: booleans and bytes as one byte, integers little-endian, texts masked. Older
// reporter data lacks some items and holds a few differently; the version rules below say which.
#include <algorithm>
#include <vector>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
void WriteBool(TStream& S, bool V) { S.WriteByte(V ? 1 : 0); }

// Windows-1252 bytes, each XORed with the mask, after the 32-bit count.
void WriteMasked(TStream& S, const std::string& Text) {
  std::string Bytes = Utf8ToWin1252(DropLoneTrailingLineBreak(Text));
  for (char& C : Bytes) C = static_cast<char>(static_cast<uint8_t>(C) ^ OptionsStringMask);
  S.WriteInt32(static_cast<int32_t>(Bytes.size()));
  S.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

// Every read is checked against the bytes left, so a damaged count cannot make it allocate or
// read past the stream's end; errors name the item.
class TOptionsReader {
public:
  explicit TOptionsReader(TStream& S) : FS(S), FEnd(S.Size()) {}

  uint8_t Byte(const char* Item) { return static_cast<uint8_t>(Unsigned(1, Item)); }
  bool Bool(const char* Item) { return Byte(Item) != 0; }
  uint16_t Word(const char* Item) { return static_cast<uint16_t>(Unsigned(2, Item)); }
  int32_t Int(const char* Item) { return static_cast<int32_t>(DWord(Item)); }
  uint32_t DWord(const char* Item) { return Unsigned(4, Item); }
  std::string Masked(const char* Item) {
    int32_t Count = Int(Item);
    if (Count <= 0) return std::string();
    std::string Bytes(Checked(Count, Item), '\0');
    Read(Bytes.data(), Count, Item);
    for (char& C : Bytes) C = static_cast<char>(static_cast<uint8_t>(C) ^ OptionsStringMask);
    return Win1252ToUtf8(Bytes);
  }
  // A count of entries that each take at least MinBytes: more than the bytes left can hold is damage.
  int32_t Count(const char* Item, int MinBytes) {
    int64_t At = FS.Position();
    int32_t N = Int(Item);
    if (N > 0 && static_cast<int64_t>(N) * MinBytes > Left())
      throw EReadError(Format(TarvikText::OptionsStreamBadCount, {Item, N, At}));
    return N < 0 ? 0 : N;
  }

private:
  // Size bytes (at most 4), little-endian.
  uint32_t Unsigned(int Size, const char* Item) {
    uint8_t B[4];
    Read(B, Size, Item);
    uint32_t V = 0;
    for (int I = Size - 1; I >= 0; --I) V = V << 8 | B[I];
    return V;
  }
  int64_t Left() { return FEnd - FS.Position(); }
  size_t Checked(int64_t N, const char* Item) {
    if (N > Left()) throw EReadError(Format(TarvikText::OptionsStreamEnds, {Item, FS.Position()}));
    return static_cast<size_t>(N);
  }
  void Read(void* To, int64_t N, const char* Item) {
    Checked(N, Item);
    if (FS.Read(To, N) != N) throw EReadError(Format(TarvikText::OptionsStreamEnds, {Item, FS.Position()}));
  }
  TStream& FS;
  int64_t FEnd;
};

// Texts that older data does not hold.
bool TextSkipped(int Index, int V) {
  if (Index == 15 && V < 420) return true;
  if (Index == 14 && V < 421) return true;
  if (V < 450) {
    static const int Newer[] = {8, 9, 10, 11, 16, 17, 18, 23, 37, 45, 47, 48};
    for (int N : Newer)
      if (Index == N) return true;
    if (Index > 52) return true;
  }
  return false;
}
}  // namespace

void TTarvikModuleOptions::SaveToStream(TStream& S) const {
  TraceEntry("TTarvikModuleOptions.SaveToStream");
  WriteBool(S, FV.ReservedFlag);
  WriteBool(S, FV.ExceptionFilterActive);
  S.WriteByte(FV.LogFlags);
  WriteBool(S, FV.ShowExceptionDialog);
  WriteBool(S, FV.MailLogInBody);
  WriteBool(S, FV.MailWholeLog);
  WriteBool(S, FV.AttachScreenshot);
  WriteBool(S, FV.ShowSmtpProgress);
  WriteBool(S, FV.SaveLogFile);
  S.WriteByte(FV.DialogStartTab);
  WriteBool(S, FV.CustomDialogLook);
  WriteBool(S, FV.FreezeActive);
  S.WriteInt32(FV.FreezeTimeout);
  WriteMasked(S, FV.FreezeMessage);
  WriteMasked(S, FV.MailSender);
  WriteMasked(S, FV.SmtpHost);
  S.WriteUInt16(FV.SmtpPort);
  WriteMasked(S, FV.SmtpUserName);
  WriteMasked(S, FV.SmtpPassword);
  S.WriteByte(FV.TerminateAction);
  WriteBool(S, FV.TerminateButtonAfterErrors);
  S.WriteInt32(FV.MaxReportsInLog);
  S.WriteInt32(FV.TerminateButtonErrorCount);
  WriteMasked(S, FV.MailRecipients);
  WriteMasked(S, FV.MailSubject);
  S.WriteByte(FV.MailSendMode);
  S.WriteUInt32(FV.LogShowOptions);
  WriteMasked(S, FV.OutputPath);
  int N = std::max(FFilterClasses.Count(), FFilterMessages.Count());
  S.WriteInt32(N);
  for (int I = 0; I < N; ++I) {
    WriteMasked(S, I < FFilterClasses.Count() ? FFilterClasses.Strings(I) : std::string());
    WriteMasked(S, I < FFilterMessages.Count() ? FFilterMessages.Strings(I) : std::string());
  }
  WriteMasked(S, FV.MailText);
  for (const std::string& T : FV.CustomizedTexts) WriteMasked(S, T);
}

void TTarvikModuleOptions::LoadFromStream(TStream& S, int V) {
  // Read into a copy: items that are not read keep their current values, and a damaged stream
  // changes nothing.
  TValues N = FV;
  std::vector<std::string> Classes, Messages;
  TOptionsReader R(S);
  N.ReservedFlag = R.Bool("ReservedFlag");
  N.ExceptionFilterActive = R.Bool("ExceptionFilterActive");
  N.LogFlags = R.Byte("LogFlags");
  N.ShowExceptionDialog = R.Bool("ShowExceptionDialog");
  if (V < 450) N.ShowExceptionDialog = !N.ShowExceptionDialog;
  N.MailLogInBody = R.Bool("MailLogInBody");
  if (V >= 450) {
    N.MailWholeLog = R.Bool("MailWholeLog");
    N.AttachScreenshot = R.Bool("AttachScreenshot");
    N.ShowSmtpProgress = R.Bool("ShowSmtpProgress");
  }
  if (V >= 401) {
    N.SaveLogFile = R.Bool("SaveLogFile");
    N.DialogStartTab = R.Byte("DialogStartTab");
  }
  if (V >= 403) N.CustomDialogLook = R.Bool("CustomDialogLook");
  if (V >= 420) {
    N.FreezeActive = R.Bool("FreezeActive");
    N.FreezeTimeout = R.Int("FreezeTimeout");
    if (V < 422) N.FreezeTimeout /= 1000;  // milliseconds in older data
    N.FreezeMessage = R.Masked("FreezeMessage");
  }
  if (V >= 450) N.MailSender = R.Masked("MailSender");
  if (V >= 420) N.SmtpHost = R.Masked("SmtpHost");
  if (V >= 450) N.SmtpPort = R.Word("SmtpPort");
  if (V >= 421) {
    N.SmtpUserName = R.Masked("SmtpUserName");
    N.SmtpPassword = R.Masked("SmtpPassword");
    N.TerminateAction = R.Byte("TerminateAction");
  }
  N.TerminateButtonAfterErrors = R.Bool("TerminateButtonAfterErrors");
  N.MaxReportsInLog = std::max(R.Int("MaxReportsInLog"), 1);
  N.TerminateButtonErrorCount = R.Int("TerminateButtonErrorCount");
  N.MailRecipients = R.Masked("MailRecipients");
  N.MailSubject = R.Masked("MailSubject");
  N.MailSendMode = R.Byte("MailSendMode");
  // Older data knew one SMTP mode, through the host when one was given.
  if (V < 450 && N.MailSendMode != msNone) N.MailSendMode = N.SmtpHost.empty() ? msMailClient : msSmtpServer;
  N.LogShowOptions = R.DWord("LogShowOptions");
  if (V < 450) R.Byte("LogShowOptions");
  N.OutputPath = R.Masked("OutputPath");
  int32_t Filters = R.Count("exception filter count", 8);
  for (int32_t I = 0; I < Filters; ++I) {
    Classes.push_back(R.Masked("exception filter class"));
    Messages.push_back(R.Masked("exception filter message"));
  }
  N.MailText = R.Masked("MailText");
  for (int I = 0; I < CustomizedTextCount; ++I)
    if (!TextSkipped(I, V)) N.CustomizedTexts[static_cast<size_t>(I)] = R.Masked(("customized text " + std::to_string(I)).c_str());

  BeginUpdate();
  {
    TFinally Done([this] { EndUpdate(); });
    FV = std::move(N);
    FFilterClasses.Clear();
    FFilterMessages.Clear();
    for (const std::string& C : Classes) FFilterClasses.Add(C);
    for (const std::string& M : Messages) FFilterMessages.Add(M);
  }
  Changed();
}

bool LoadPublishedOptions(TTarvikModuleOptions& Options, int ProcessId, TModuleHandle Module) {
  auto File = OpenVirtualFile(ProcessId, Module, "MODULE");
  if (!File) return false;
  // A copy first: the publishing module may rewrite its file meanwhile.
  std::vector<uint8_t> Bytes(File->Data(), File->Data() + File->DataSize());
  DeleteVirtualFile(File);
  if (Bytes.empty() || Bytes[0] == 0) return false;
  try {
    TBytesStream S(Bytes.data() + 1, static_cast<int64_t>(Bytes.size() - 1));
    Options.LoadFromStream(S, TarvikLogDataVersion);
  } catch (const EReadError&) {
    return false;
  }
  return true;
}
