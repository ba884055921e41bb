#include "exceptions/base/TarvikErrors.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/mman.h>

#include "platform/sys/Process.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace {
struct TBox {
  std::string Text, Caption;
  uint32_t Flags;
};

// Catches what the reporter shows and writes, answers its questions with Answer.
class TarvikErrorsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearInternalError();
    OldOutput = SetDebugOutputHook([this](std::string_view T) { Output.emplace_back(T); });
    OldBox = SetReporterMessageBox([this](const std::string& Text, const std::string& Caption, uint32_t Flags) {
      Boxes.push_back({Text, Caption, Flags});
      return Answer;
    });
  }
  void TearDown() override {
    SetDebugOutputHook(OldOutput);
    SetReporterMessageBox(OldBox);
    SetSmtpProgressVisible(false);
    ClearInternalError();
  }
  std::vector<std::string> Output;
  std::vector<TBox> Boxes;
  int Answer = IDNO;
  TDebugOutputHook OldOutput;
  TReporterMessageBox OldBox;
};

TEST_F(TarvikErrorsTest, WarningsAreRecordedAndWritten) {
  TTraceScope Trace({"debug"});
  RecordWarning(eeLogError, "Disco cheio");
  EXPECT_EQ(LastErrorCode(), eeLogError);
  EXPECT_EQ(LastErrorMessage(), "Disco cheio");
  const std::string Line = "[WARNING] - Code: eeLogError - Message: \"Disco cheio\"";
  EXPECT_EQ(Output, std::vector<std::string>{Line});
  EXPECT_EQ(TraceLines(), std::vector<std::string>{"05/03/24 07:08:09  " + Line});
  EXPECT_TRUE(Boxes.empty());
  ClearInternalError();
  EXPECT_EQ(LastErrorCode(), eeNone);
  EXPECT_EQ(LastErrorMessage(), "");
}

TEST_F(TarvikErrorsTest, SectionErrorsCarryTheExceptionsMessage) {
  try {
    throw EInOutError("Acesso negado");
  } catch (...) {
    RecordSectionError(eeShowError, "WinCGI");
  }
  EXPECT_EQ(LastErrorMessage(), "[WinCGI] Acesso negado");
  try {
    throw 5;
  } catch (...) {
    RecordSectionError(eeEmailSMTPError, "SMTP");
  }
  EXPECT_EQ(LastErrorCode(), eeEmailSMTPError);
  EXPECT_EQ(LastErrorMessage(), "General 'SMTP' error.");
  EXPECT_EQ(TarvikLogErrorCodeName(eeEmailMAPIError), "eeEmailMAPIError");
}

TEST_F(TarvikErrorsTest, SmtpWarningsAreShownWhileTheProgressWindowIsOpen) {
  RecordWarning(eeEmailSMTPError, "550 Recusado");
  EXPECT_TRUE(Boxes.empty());
  SetSmtpProgressVisible(true);
  RecordWarning(eeEmailSMTPError, "550 Recusado");
  RecordWarning(eeLogError, "outro");
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Text, "550 Recusado");
  EXPECT_EQ(Boxes[0].Caption, "Error.");
  EXPECT_EQ(Boxes[0].Flags, 0x00242010u);
}

TEST_F(TarvikErrorsTest, InternalErrorsGoToTheOutputAndTheTrace) {
  TTraceScope Trace({});  // off: no question to the user
  ActivateTrace();        // as under a debugger, so the lines can be read
  uint8_t Code[32];
  for (int I = 0; I < 32; ++I) Code[I] = static_cast<uint8_t>(I * 8);
  try {
    throw EConvertError("boom");
  } catch (...) {
    Answer = IDNO;
    ReportInternalError("InternalExceptNotify.4", Code);
  }
  const std::string Line = "[ERROR] - Section: InternalExceptNotify.4 - Message: \"boom\"";
  EXPECT_EQ(Output, std::vector<std::string>{Line});
  std::string Dump;
  for (int I = 0; I < 32; ++I) Dump += "$" + IntToHex(static_cast<uint64_t>(I * 8), 2) + " ";
  std::vector<std::string> Expected = {"05/03/24 07:08:09  " + Line, "05/03/24 07:08:09  Memory Dump: " + Dump};
  EXPECT_EQ(TraceLines(), Expected);
  // Saved by force: the trace is on although "DEBUG" did not ask for checkpoints.
  EXPECT_TRUE(FileExists(Trace.File()));
}

TEST_F(TarvikErrorsTest, InternalErrorsWithoutMessageOrDumpAndAborts) {
  TTraceScope Trace({"debug"});
  void* Guard = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  try {
    throw 1;
  } catch (...) {
    ReportInternalError("GUI", Guard);  // unreadable address: no dump
  }
  ::munmap(Guard, 4096);
  try {
    Abort();
  } catch (...) {
    ReportInternalError("GUI");  // the silent exception is no error
  }
  EXPECT_EQ(Output, std::vector<std::string>{"[ERROR] - Section: GUI - Message: \"General internal error.\""});
  EXPECT_EQ(TraceLines().size(), 1u);
}

TEST_F(TarvikErrorsTest, WithTheTraceOffNobodyIsAsked) {
  TTraceScope Trace({});
  try {
    throw EConvertError("boom");
  } catch (...) {
    ReportInternalError("Console");
  }
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(Output.size(), 1u);
}

// With the trace on, the user may keep a copy of the trace for the developers.
TEST_F(TarvikErrorsTest, TheUserMayKeepTheBugInformation) {
  TTraceScope Trace({"debug"});
  auto Copies = [&] {
    std::vector<std::string> R;
    std::string Dir = ExtractFilePath(Trace.File());
    std::string Prefix = ExtractFileName(ChangeFileExt(Trace.File(), "")) + "-bug-";
    if (DIR* D = ::opendir(Dir.c_str())) {
      while (dirent* E = ::readdir(D))
        if (std::string(E->d_name).rfind(Prefix, 0) == 0) R.push_back(Dir + E->d_name);
      ::closedir(D);
    }
    return R;
  };
  try {
    throw EConvertError("boom");
  } catch (...) {
    Answer = IDNO;
    ReportInternalError("Log");
  }
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Text,
            "Error: 'boom'\r\n\r\nThis is an internal TarvikLog bug.\r\nDo you want to save the bug information to a file?");
  EXPECT_EQ(Boxes[0].Caption, "Probably internal bug");
  EXPECT_EQ(Boxes[0].Flags, 0x00242014u);
  EXPECT_TRUE(Copies().empty());

  try {
    throw EConvertError("boom");
  } catch (...) {
    Answer = IDYES;
    ReportInternalError("Log");
  }
  std::vector<std::string> Saved = Copies();
  ASSERT_EQ(Saved.size(), 1u);
  EXPECT_NE(ReadFileBytes(Saved[0]).find("[ERROR] - Section: Log"), std::string::npos);
  ASSERT_EQ(Boxes.size(), 3u);
  EXPECT_EQ(Boxes[2].Text, "The bug information was saved in the file \"" + Saved[0] +
                               "\".\r\nPlease send this file to the developers of the program.");
  EXPECT_EQ(Boxes[2].Caption, "Information");
  EXPECT_EQ(Boxes[2].Flags, 0x00242040u);
  DeleteFile(Saved[0]);
}

TEST_F(TarvikErrorsTest, WithoutAUserInterfaceBoxesTakeTheirDefaultAnswer) {
  SetReporterMessageBox(nullptr);
  EXPECT_EQ(ReporterMessageBox("?", "Question.", MB_YESNO), IDNO);
  EXPECT_EQ(ReporterMessageBox("!", "Information.", MB_OK | MB_ICONINFORMATION), IDOK);
}
}  // namespace
