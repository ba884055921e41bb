#include "exceptions/base/TarvikOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Win1252.h"
#include "platform/sys/Process.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace {
// Every stored option with a value unlike its default.
struct TStored {
  bool ReservedFlag = false, ExceptionFilterActive = false;
  uint8_t LogFlags = 3;
  bool ShowExceptionDialog = false, MailLogInBody = true, MailWholeLog = true, AttachScreenshot = true,
       ShowSmtpProgress = false, SaveLogFile = false;
  uint8_t DialogStartTab = 2;
  bool CustomDialogLook = false, FreezeActive = true;
  int32_t FreezeTimeout = 45;
  std::string FreezeMessage = "Travou.", MailSender = "suporte@exemplo.com.br", SmtpHost = "smtp.exemplo.com.br";
  uint16_t SmtpPort = 587;
  std::string SmtpUserName = "usuário", SmtpPassword = "senha";
  uint8_t TerminateAction = 0;
  bool TerminateButtonAfterErrors = false;
  int32_t MaxReportsInLog = 7, TerminateButtonErrorCount = 9;
  std::string MailRecipients = "a@b.c;d@e.f", MailSubject = "Erro no programa";
  uint8_t MailSendMode = 3;
  uint32_t LogShowOptions = 0x00ABCDEF;
  std::string OutputPath = "/var/log/relatorios";
  std::vector<std::pair<std::string, std::string>> Filters = {{"EAbort", ""}, {"EConvertError", "Valor inválido"}};
  std::string MailText = "Veja o relatório.";
  std::string Text(int I) const { return "Texto " + std::to_string(I); }
};

bool TextIn(int I, int V) {
  if (I == 15) return V >= 420;
  if (I == 14) return V >= 421;
  for (int N : {8, 9, 10, 11, 16, 17, 18, 23, 37, 45, 47, 48})
    if (I == N) return V >= 450;
  return I <= 52 || V >= 450;
}

// The options stream of data version V, byte by byte as the format lays it out.
class TStreamBuilder {
public:
  std::vector<uint8_t> Bytes;
  void Byte(uint8_t B) { Bytes.push_back(B); }
  void Word(uint16_t W) { Byte(W & 0xFF), Byte(W >> 8); }
  void Int(uint32_t D) {
    for (int I = 0; I < 4; ++I) Byte(static_cast<uint8_t>(D >> (8 * I)));
  }
  void Str(const std::string& Utf8) {
    std::string B = Utf8ToWin1252(Utf8);
    Int(static_cast<uint32_t>(B.size()));
    for (char C : B) Byte(static_cast<uint8_t>(C) ^ 0xB5);
  }
};

std::vector<uint8_t> OptionsStream(int V, const TStored& S) {
  TStreamBuilder B;
  B.Byte(S.ReservedFlag), B.Byte(S.ExceptionFilterActive), B.Byte(S.LogFlags), B.Byte(S.ShowExceptionDialog);
  B.Byte(S.MailLogInBody);
  if (V >= 450) B.Byte(S.MailWholeLog), B.Byte(S.AttachScreenshot), B.Byte(S.ShowSmtpProgress);
  if (V >= 401) B.Byte(S.SaveLogFile), B.Byte(S.DialogStartTab);
  if (V >= 403) B.Byte(S.CustomDialogLook);
  if (V >= 420) {
    B.Byte(S.FreezeActive);
    B.Int(static_cast<uint32_t>(V < 422 ? S.FreezeTimeout * 1000 : S.FreezeTimeout));
    B.Str(S.FreezeMessage);
  }
  if (V >= 450) B.Str(S.MailSender);
  if (V >= 420) B.Str(S.SmtpHost);
  if (V >= 450) B.Word(S.SmtpPort);
  if (V >= 421) B.Str(S.SmtpUserName), B.Str(S.SmtpPassword), B.Byte(S.TerminateAction);
  B.Byte(S.TerminateButtonAfterErrors);
  B.Int(static_cast<uint32_t>(S.MaxReportsInLog)), B.Int(static_cast<uint32_t>(S.TerminateButtonErrorCount));
  B.Str(S.MailRecipients), B.Str(S.MailSubject), B.Byte(S.MailSendMode);
  B.Int(S.LogShowOptions);
  if (V < 450) B.Byte(0xAA);  // older data holds one more byte here
  B.Str(S.OutputPath);
  B.Int(static_cast<uint32_t>(S.Filters.size()));
  for (const auto& [Class, Message] : S.Filters) B.Str(Class), B.Str(Message);
  B.Str(S.MailText);
  for (int I = 0; I < CustomizedTextCount; ++I)
    if (TextIn(I, V)) B.Str(S.Text(I));
  return B.Bytes;
}

void SetAll(TTarvikModuleOptions& O, const TStored& S) {
  O.SetReservedFlag(S.ReservedFlag), O.SetExceptionFilterActive(S.ExceptionFilterActive), O.SetLogFlags(S.LogFlags);
  O.SetShowExceptionDialog(S.ShowExceptionDialog), O.SetMailLogInBody(S.MailLogInBody);
  O.SetMailWholeLog(S.MailWholeLog), O.SetAttachScreenshot(S.AttachScreenshot);
  O.SetShowSmtpProgress(S.ShowSmtpProgress), O.SetSaveLogFile(S.SaveLogFile), O.SetDialogStartTab(S.DialogStartTab);
  O.SetCustomDialogLook(S.CustomDialogLook), O.SetFreezeActive(S.FreezeActive), O.SetFreezeTimeout(S.FreezeTimeout);
  O.SetFreezeMessage(S.FreezeMessage), O.SetMailSender(S.MailSender), O.SetSmtpHost(S.SmtpHost);
  O.SetSmtpPort(S.SmtpPort), O.SetSmtpUserName(S.SmtpUserName), O.SetSmtpPassword(S.SmtpPassword);
  O.SetTerminateAction(S.TerminateAction), O.SetTerminateButtonAfterErrors(S.TerminateButtonAfterErrors);
  O.SetMaxReportsInLog(S.MaxReportsInLog), O.SetTerminateButtonErrorCount(S.TerminateButtonErrorCount);
  O.SetMailRecipients(S.MailRecipients), O.SetMailSubject(S.MailSubject), O.SetMailSendMode(S.MailSendMode);
  O.SetLogShowOptions(S.LogShowOptions), O.SetOutputPath(S.OutputPath), O.SetMailText(S.MailText);
  for (const auto& [Class, Message] : S.Filters) {
    O.ExceptionFilterClasses().Add(Class);
    O.ExceptionFilterMessages().Add(Message);
  }
  for (int I = 0; I < CustomizedTextCount; ++I) O.SetText(I, S.Text(I));
}

// What options read from data version V hold: stored items, defaults for items V lacks.
void ExpectLoaded(const TTarvikModuleOptions& O, int V, const TStored& S) {
  const TTarvikModuleOptions D("", 0);
  SCOPED_TRACE("version " + std::to_string(V));
  EXPECT_EQ(O.ReservedFlag(), S.ReservedFlag);
  EXPECT_EQ(O.ExceptionFilterActive(), S.ExceptionFilterActive);
  EXPECT_EQ(O.LogFlags(), S.LogFlags);
  EXPECT_EQ(O.ShowExceptionDialog(), V < 450 ? !S.ShowExceptionDialog : S.ShowExceptionDialog);
  EXPECT_EQ(O.MailLogInBody(), S.MailLogInBody);
  EXPECT_EQ(O.MailWholeLog(), V >= 450 ? S.MailWholeLog : D.MailWholeLog());
  EXPECT_EQ(O.AttachScreenshot(), V >= 450 ? S.AttachScreenshot : D.AttachScreenshot());
  EXPECT_EQ(O.ShowSmtpProgress(), V >= 450 ? S.ShowSmtpProgress : D.ShowSmtpProgress());
  EXPECT_EQ(O.SaveLogFile(), V >= 401 ? S.SaveLogFile : D.SaveLogFile());
  EXPECT_EQ(O.DialogStartTab(), V >= 401 ? S.DialogStartTab : D.DialogStartTab());
  EXPECT_EQ(O.CustomDialogLook(), V >= 403 ? S.CustomDialogLook : D.CustomDialogLook());
  EXPECT_EQ(O.FreezeActive(), V >= 420 ? S.FreezeActive : D.FreezeActive());
  EXPECT_EQ(O.FreezeTimeout(), V >= 420 ? S.FreezeTimeout : D.FreezeTimeout());
  EXPECT_EQ(O.FreezeMessage(), V >= 420 ? S.FreezeMessage : D.FreezeMessage());
  EXPECT_EQ(O.MailSender(), V >= 450 ? S.MailSender : D.MailSender());
  EXPECT_EQ(O.SmtpHost(), V >= 420 ? S.SmtpHost : D.SmtpHost());
  EXPECT_EQ(O.SmtpPort(), V >= 450 ? S.SmtpPort : D.SmtpPort());
  EXPECT_EQ(O.SmtpUserName(), V >= 421 ? S.SmtpUserName : D.SmtpUserName());
  EXPECT_EQ(O.SmtpPassword(), V >= 421 ? S.SmtpPassword : D.SmtpPassword());
  EXPECT_EQ(O.TerminateAction(), V >= 421 ? S.TerminateAction : D.TerminateAction());
  EXPECT_EQ(O.TerminateButtonAfterErrors(), S.TerminateButtonAfterErrors);
  EXPECT_EQ(O.MaxReportsInLog(), S.MaxReportsInLog);
  EXPECT_EQ(O.TerminateButtonErrorCount(), S.TerminateButtonErrorCount);
  EXPECT_EQ(O.MailRecipients(), S.MailRecipients);
  EXPECT_EQ(O.MailSubject(), S.MailSubject);
  // Older data knew one SMTP mode: through the host when there was one (none before 420).
  EXPECT_EQ(O.MailSendMode(), V >= 450 ? S.MailSendMode : V >= 420 ? msSmtpServer : msMailClient);
  EXPECT_EQ(O.LogShowOptions(), S.LogShowOptions);
  EXPECT_EQ(O.OutputPath(), S.OutputPath);
  ASSERT_EQ(O.ExceptionFilterClasses().Count(), 2);
  EXPECT_EQ(O.ExceptionFilterClasses().Strings(1), "EConvertError");
  EXPECT_EQ(O.ExceptionFilterMessages().Strings(0), "");
  EXPECT_EQ(O.ExceptionFilterMessages().Strings(1), "Valor inválido");
  EXPECT_EQ(O.MailText(), S.MailText);
  for (int I = 0; I < CustomizedTextCount; ++I)
    EXPECT_EQ(O.GetText(I), TextIn(I, V) ? S.Text(I) : DefaultCustomizedTexts[static_cast<size_t>(I)]) << I;
}

std::vector<uint8_t> Saved(const TTarvikModuleOptions& O) {
  TMemoryStream M;
  O.SaveToStream(M);
  return M.Bytes();
}

void Load(TTarvikModuleOptions& O, const std::vector<uint8_t>& Bytes, int V) {
  TBytesStream S(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  O.LoadFromStream(S, V);
}

// A stream that notes any request to read past its end.
class TStrictStream : public TBytesStream {
public:
  using TBytesStream::TBytesStream;
  int64_t Read(void* Buffer, int64_t Count) override {
    if (Position() + Count > Size()) ReadPastEnd = true;
    return TBytesStream::Read(Buffer, Count);
  }
  bool ReadPastEnd = false;
};

TEST(TarvikOptionsTest, Defaults) {
  TTarvikModuleOptions O("/opt/app/bin/app", 0);
  EXPECT_EQ(O.ModuleName(), "/opt/app/bin/app");
  EXPECT_TRUE(O.Active());
  EXPECT_EQ(O.MailSender(), TarvikText::DefaultMailSender);
  EXPECT_EQ(O.SmtpPort(), 25);
  EXPECT_EQ(O.TerminateAction(), 1);
  EXPECT_EQ(O.FreezeTimeout(), 60);
  EXPECT_EQ(O.FreezeMessage(), "The application seems to be frozen.");
  EXPECT_EQ(O.LogShowOptions(), 0xFFFFFFFFu);
  EXPECT_EQ(O.MaxReportsInLog(), 32);
  EXPECT_EQ(O.TerminateButtonErrorCount(), 3);
  EXPECT_EQ(O.MailSendMode(), msNone);
  EXPECT_TRUE(O.ShowExceptionDialog() && O.SaveLogFile() && O.ReservedFlag() && O.ShowSmtpProgress());
  EXPECT_FALSE(O.AttachScreenshot() || O.MailLogInBody() || O.MailWholeLog() || O.FreezeActive());
  EXPECT_EQ(O.GetText(3),
            "An error has occurred during program execution.\r\nPlease read the following information for further details.");
  EXPECT_EQ(O.GetText(70), "Memory Dump");
  EXPECT_THROW(O.GetText(71), EListError);
  EXPECT_THROW(O.GetText(-1), EListError);
}

// What the current version writes is exactly the layout, and reads back whole.
TEST(TarvikOptionsTest, CurrentVersionWritesTheLayoutAndReadsItBack) {
  TStored S;
  TTarvikModuleOptions O("", 0);
  SetAll(O, S);
  std::vector<uint8_t> Bytes = Saved(O);
  EXPECT_EQ(Bytes, OptionsStream(TarvikLogDataVersion, S));
  TTarvikModuleOptions Back("", 0);
  Load(Back, Bytes, TarvikLogDataVersion);
  ExpectLoaded(Back, TarvikLogDataVersion, S);
  EXPECT_EQ(Saved(Back), Bytes);
}

TEST(TarvikOptionsTest, OlderVersionsReadByTheirRules) {
  TStored S;
  for (int V : {400, 404, 405, 420, 421, 422, 449, 450, 454}) {
    std::vector<uint8_t> Bytes = OptionsStream(V, S);
    TStrictStream Stream(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    TTarvikModuleOptions O("", 0);
    O.LoadFromStream(Stream, V);
    EXPECT_EQ(Stream.Position(), static_cast<int64_t>(Bytes.size())) << V;
    ExpectLoaded(O, V, S);
  }
}

TEST(TarvikOptionsTest, VersionRulesOnSingleValues) {
  // 421: the time-out is held in milliseconds and there is no sender yet.
  TStored S;
  S.FreezeTimeout = 60;
  TTarvikModuleOptions O("", 0);
  Load(O, OptionsStream(421, S), 421);
  EXPECT_EQ(O.FreezeTimeout(), 60);
  EXPECT_EQ(O.MailSender(), TarvikText::DefaultMailSender);
  // 449: any mail mode means the host when there is one, else the mail client; no mail stays no mail.
  struct {
    uint8_t Stored;
    std::string Host;
    uint8_t Expected;
  } Modes[] = {{1, "smtp.x", 2}, {3, "smtp.x", 2}, {1, "", 1}, {2, "", 1}, {0, "smtp.x", 0}};
  for (const auto& M : Modes) {
    S.MailSendMode = M.Stored;
    S.SmtpHost = M.Host;
    TTarvikModuleOptions P("", 0);
    Load(P, OptionsStream(449, S), 449);
    EXPECT_EQ(P.MailSendMode(), M.Expected) << int(M.Stored) << " " << M.Host;
  }
}

TEST(TarvikOptionsTest, MaskedStrings) {
  struct {
    std::string Text;
    std::string Stored;  // Windows-1252, before masking
  } Cases[] = {
      {"abc\r\n", "abc"},                // one line: its CR LF goes
      {"a\r\nb\r\n", "a\r\nb\r\n"},      // its first CR LF is not at the end: kept
      {"\r\n", ""},                      // only a CR LF
      {"\n", "\n"},                      // one character: kept
      {"x\r", "x\r"},
      {"ação", "a\xE7\xE3o"},
  };
  for (const auto& C : Cases) {
    TTarvikModuleOptions O("", 0);
    O.SetFreezeMessage(C.Text);
    std::vector<uint8_t> Bytes = Saved(O);
    // The freeze message follows twelve one-byte items and the 4-byte time-out.
    uint32_t Count = Bytes[16] | Bytes[17] << 8 | Bytes[18] << 16 | static_cast<uint32_t>(Bytes[19]) << 24;
    ASSERT_EQ(Count, C.Stored.size()) << ::testing::PrintToString(C.Text);
    for (size_t I = 0; I < Count; ++I) EXPECT_EQ(Bytes[20 + I] ^ 0xB5, static_cast<uint8_t>(C.Stored[I]));
  }
}

TEST(TarvikOptionsTest, TruncatedStreamsFailWithoutChangingAnythingOrReadingPastTheEnd) {
  TStored S;
  for (int V : {400, 454}) {
    std::vector<uint8_t> Bytes = OptionsStream(V, S);
    TTarvikModuleOptions O("", 0);
    std::vector<uint8_t> Before = Saved(O);
    for (size_t Length = 0; Length < Bytes.size(); ++Length) {
      TStrictStream Stream(Bytes.data(), static_cast<int64_t>(Length));
      EXPECT_THROW(O.LoadFromStream(Stream, V), EReadError) << V << " " << Length;
      EXPECT_FALSE(Stream.ReadPastEnd) << V << " " << Length;
    }
    EXPECT_EQ(Saved(O), Before);
  }
}

TEST(TarvikOptionsTest, HostileCountsRaiseClearErrors) {
  TStored S;
  S.Filters.clear();
  std::vector<uint8_t> Good = OptionsStream(454, S);
  auto Patch = [](std::vector<uint8_t> B, size_t At, uint32_t V) {
    for (int I = 0; I < 4; ++I) B[At + static_cast<size_t>(I)] = static_cast<uint8_t>(V >> (8 * I));
    return B;
  };
  TTarvikModuleOptions O("", 0);
  try {
    Load(O, Patch(Good, 16, 0x7FFFFFFF), 454);
    FAIL() << "a string longer than the stream was read";
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "The options stream ends before its FreezeMessage (at byte 20).");
  }
  // The filter count stands right before the mail text, whose count is the 4 bytes before its text.
  size_t FilterCount = Good.size();
  {
    TStreamBuilder Tail;
    Tail.Int(0);
    Tail.Str(S.MailText);
    for (int I = 0; I < CustomizedTextCount; ++I) Tail.Str(S.Text(I));
    FilterCount -= Tail.Bytes.size();
  }
  try {
    Load(O, Patch(Good, FilterCount, 0x10000000), 454);
    FAIL() << "an impossible filter count was read";
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "The options stream holds an impossible exception filter count (268435456 at byte " +
                               std::to_string(FilterCount) + ").");
  }
  // Negative counts are empty: a string of -5 characters, a list of -1 entries.
  std::vector<uint8_t> Negative = Patch(Patch(Good, FilterCount, 0xFFFFFFFF), 16, 0xFFFFFFFB);
  Negative.erase(Negative.begin() + 20, Negative.begin() + 20 + static_cast<long>(S.FreezeMessage.size()));
  TTarvikModuleOptions P("", 0);
  Load(P, Negative, 454);
  EXPECT_EQ(P.FreezeMessage(), "");
  EXPECT_EQ(P.ExceptionFilterClasses().Count(), 0);
  EXPECT_EQ(P.MailText(), S.MailText);
}

TEST(TarvikOptionsTest, TheLogLimitIsAtLeastOne) {
  TTarvikModuleOptions O("", 0);
  for (auto [Set, Expected] : {std::pair{0, 1}, std::pair{-5, 1}, std::pair{1, 1}, std::pair{40, 40}}) {
    O.SetMaxReportsInLog(Set);
    EXPECT_EQ(O.MaxReportsInLog(), Expected) << Set;
  }
  TStored S;
  S.MaxReportsInLog = -5;
  Load(O, OptionsStream(454, S), 454);
  EXPECT_EQ(O.MaxReportsInLog(), 1);
}

TEST(TarvikOptionsTest, AssignCopiesAllButActiveAndModuleName) {
  TStored S;
  TTarvikModuleOptions Source("/a/source", 0);
  SetAll(Source, S);
  Source.SetActive(false);
  TTarvikModuleOptions O("/a/target", 0);
  O.ExceptionFilterClasses().Add("Stale");
  O.Assign(&Source);
  ExpectLoaded(O, TarvikLogDataVersion, S);
  EXPECT_TRUE(O.Active());
  EXPECT_EQ(O.ModuleName(), "/a/target");
  O.Assign(&O);
  ExpectLoaded(O, TarvikLogDataVersion, S);
  try {
    O.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "Impossible to assign nil as TTarvikModuleOptions.");
  }
  O.SetDefaults();
  EXPECT_EQ(O.MailSender(), TarvikText::DefaultMailSender);
  EXPECT_EQ(O.GetText(5), "General Information");
  EXPECT_EQ(O.ExceptionFilterClasses().Count(), 2);  // the filter lists stay
}

TEST(TarvikOptionsTest, LogFilePath) {
  TTempName State("state");
  std::string OldState = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
  ::setenv("XDG_STATE_HOME", State.Path().c_str(), 1);
  std::string Tmp = GetTempPath();
  struct {
    std::string OutputPath, ModuleName, Expected;
  } Cases[] = {
      {"/var/log/app", "/opt/app/prog", "/var/log/app/prog.tvl"},
      {"/var/log/app/", "/opt/app/prog.bin", "/var/log/app/prog.tvl"},
      {"/srv/Relatorio.TVL", "/opt/app/prog", "/srv/Relatorio.TVL"},
      {"", Tmp + "prog", Tmp + "prog.tvl"},  // beside the program when it may write there
      // a folder the program cannot write in: the state folder, in a folder named after the program
      {"", "/nonexistent-folder/prog", State.Path() + "/exceptions_tests/prog.tvl"},
  };
  for (const auto& C : Cases) {
    TTarvikModuleOptions O(C.ModuleName, 0);
    O.SetOutputPath(C.OutputPath);
    EXPECT_EQ(O.OutputLogFile(), C.Expected) << C.OutputPath << " " << C.ModuleName;
  }
  if (OldState.empty())
    ::unsetenv("XDG_STATE_HOME");
  else
    ::setenv("XDG_STATE_HOME", OldState.c_str(), 1);
}

// Changes to the reporter module's own options reach its "MODULE" file, where other modules read them.
TEST(TarvikOptionsTest, TheReporterModulesOptionsArePublished) {
  auto Published = [] {
    TTarvikModuleOptions Reader("", 0);
    return LoadPublishedOptions(Reader, ProcessId(), ReporterModuleHandle()) ? Reader.SmtpHost() : "(none)";
  };
  TTarvikModuleOptionsEx Own(ReporterModuleFileName(), 1);
  Own.SetSmtpHost("smtp.um");
  EXPECT_EQ(Published(), "smtp.um");
  Own.BeginUpdate();
  Own.SetSmtpHost("smtp.dois");
  EXPECT_EQ(Published(), "smtp.um");
  Own.EndUpdate();
  Own.Changed();
  EXPECT_EQ(Published(), "smtp.dois");
  TTarvikModuleOptionsEx Quiet(ReporterModuleFileName(), 0);
  Quiet.SetSmtpHost("smtp.tres");
  TTarvikModuleOptionsEx Other("/opt/other/libother.so", 1);
  Other.SetSmtpHost("smtp.quatro");
  EXPECT_EQ(Published(), "smtp.dois");
}

TEST(TarvikOptionsTest, ActiveAndFreezeActiveOfTheReportersOwnOptionsSwitchTheFreezeDetector) {
  std::vector<bool> Switched;
  SetFreezeDetectorSwitch([&](bool Run) { Switched.push_back(Run); });
  TTarvikModuleOptionsEx* Installed = ReporterModuleOptions();
  SetReporterModuleOptions(nullptr);
  EXPECT_THROW(CurrentTarvikLogOptions(), EAssertionFailed);
  TTarvikModuleOptionsEx Own("", 0), Other("", 0);
  SetReporterModuleOptions(&Own);
  EXPECT_EQ(&CurrentTarvikLogOptions(), &Own);
  Own.SetFreezeActive(true);   // Active is on: run
  Own.SetFreezeActive(true);   // no change: nothing
  Own.SetActive(false);        // stop
  Own.SetFreezeActive(false);  // stop (inactive anyway)
  Own.SetActive(true);         // freeze detection is off: stop
  Other.SetFreezeActive(true);
  Other.SetActive(false);
  EXPECT_EQ(Switched, (std::vector<bool>{true, false, false, false}));
  EXPECT_FALSE(Other.Active());
  SetReporterModuleOptions(Installed);
  SetFreezeDetectorSwitch(nullptr);
}
}  // namespace
