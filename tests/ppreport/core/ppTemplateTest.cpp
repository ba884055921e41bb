#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/app/Cursors.h"
#include "platform/app/DialogService.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/data/DBTables.h"
#include "platform/rtl/FormatSettings.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppModuleTemplate.h"
#include "ppreport/core/ppRelatv.h"
#include "ppreport/core/ppTemplate.h"
#include "tests/ppreport/core/ppTemplateTestSupport.h"

using namespace pptest;

namespace pptemplatetest {

std::string Bytes(TMemoryStream& M) {
  return std::string(reinterpret_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
}

void Fill(TMemoryStream& M, const std::string& S) {
  M.Clear();
  M.WriteBuffer(S.data(), static_cast<int64_t>(S.size()));
  M.SetPosition(0);
}

std::string TempDir() {
  char Tmpl[] = "/tmp/pptemplateXXXXXX";
  return mkdtemp(Tmpl);
}

std::string ReadFile(const std::string& Name) {
  std::ifstream F(Name, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}

// With MOR_TEMPLATE_SEEDS set, the templates these tests write become the template fuzz targets'
// seeds (fuzz/corpus/fuzz_template_binary and fuzz_template_text).
void WriteSeed(const char* Target, const std::string& Name, const std::string& Bytes) {
  const char* Dir = std::getenv("MOR_TEMPLATE_SEEDS");
  if (!Dir) return;
  const std::filesystem::path Folder = std::filesystem::path(Dir) / Target;
  std::filesystem::create_directories(Folder);
  std::ofstream(Folder / Name, std::ios::binary) << Bytes;
}

class TemplateTest : public ::testing::Test {
protected:
  TTemplateClasses Classes;
  TComponent Form{nullptr};
  TModelReport* Report = new TModelReport(&Form);
  // Reader errors are answered here; none left: every question is cancelled.
  TScriptedDialogService* Dialogs = new TScriptedDialogService;
  TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Dialogs)};
  TppReportTemplate* T = Report->Template();

  void SetUp() override {
    Report->SetName("Report1");
    BuildTemplateReport(Report);
  }
  void Load(const std::string& S) {
    TMemoryStream M;
    Fill(M, S);
    T->LoadFromStream(M);
  }
  TTemplateLabel* LabelNamed(const std::string& Name) {
    return dynamic_cast<TTemplateLabel*>(Report->FindObjectByName(Name));
  }
};

TEST_F(TemplateTest, BinaryAndTextFormsRoundTripToTheSameBytes) {
  const std::string Bin = SaveTemplate(Report);
  ASSERT_EQ(0, Bin.compare(0, 4, "TPF0"));
  EXPECT_EQ('\0', Bin.back());  // the list end after the report

  WriteSeed("fuzz_template_binary", "report.rtm", Bin);
  Load(Bin);
  EXPECT_EQ(Bin, SaveTemplate(Report));
  ASSERT_EQ(4, Report->BandCount());
  ASSERT_EQ(1, Report->GroupCount());
  TTemplateLabel* L2 = LabelNamed("Label2");
  ASSERT_NE(nullptr, L2);
  EXPECT_EQ(LabelNamed("Label1"), L2->Partner());
  EXPECT_EQ(&Form, L2->Owner());
  EXPECT_EQ(Report->GetGroup(0)->HeaderBand(), LabelNamed("Label3")->Band());

  // The program's decimal separator is ",": the text form still writes ".".
  TFormatSettingsScope Brazil(BrazilianFormatSettings());
  ASSERT_EQ(',', FormatSettings().DecimalSeparator);
  const std::string Text = SaveTemplate(Report, ftASCII);
  ASSERT_EQ(0, Text.compare(0, 6, "object"));
  WriteSeed("fuzz_template_text", "report.txt", Text);
  EXPECT_NE(std::string::npos, Text.find("Ratio = 1.25\r\n")) << Text;
  Load(Text);
  EXPECT_EQ(ftBinary, T->Format());  // the load does not change how the template is stored
  EXPECT_EQ(1.25, LabelNamed("Label2")->Ratio());
  EXPECT_EQ(Bin, SaveTemplate(Report));
}

// A load that starts while this thread already holds the name space (a load inside a load).
TEST_F(TemplateTest, LoadsInsideALoad) {
  const std::string Bin = SaveTemplate(Report);
  std::lock_guard<TCriticalSection> Outer(GlobalNameSpace());
  Load(Bin);
  EXPECT_EQ(Bin, SaveTemplate(Report));
}

TEST_F(TemplateTest, FindsTheTemplateAfterAHeaderOrAtItsOffset) {
  const std::string Bin = SaveTemplate(Report);
  // A four-byte header with the template's position, then filler.
  std::string Stored = std::string("\x10\0\0\0", 4) + std::string(12, 'x') + Bin;
  WriteSeed("fuzz_template_binary", "header.rtm", Stored);
  TMemoryStream M;
  Fill(M, Stored);
  EXPECT_EQ(ftBinary, T->DetectFormat(M));
  EXPECT_EQ(16, T->Offset());
  EXPECT_EQ(0, M.Position());
  T->SetOffset(0);
  Load(Stored);
  EXPECT_EQ(0, T->Offset());
  EXPECT_EQ(Bin, SaveTemplate(Report));

  // Saved at an offset: the bytes before it are left as zeros, and a load there finds it.
  T->SetOffset(7);
  TMemoryStream Out;
  T->SaveToStream(Out);
  EXPECT_EQ(std::string(7, '\0'), Bytes(Out).substr(0, 7));
  EXPECT_EQ("TPF0", Bytes(Out).substr(7, 4));
  Out.SetPosition(0);
  T->LoadFromStream(Out);
  EXPECT_EQ(7, T->Offset());
}

TEST_F(TemplateTest, DamagedTemplatesLeaveReportAndSettingsAsTheyWere) {
  T->SetFileName("/nowhere/a.rtm");
  T->SetOffset(0);
  const std::string Bin = SaveTemplate(Report);
  auto Unchanged = [&](const std::string& Why) {
    EXPECT_EQ(Bin, SaveTemplate(Report)) << Why;
    EXPECT_EQ("/nowhere/a.rtm", T->FileName()) << Why;
    EXPECT_EQ(ftBinary, T->Format()) << Why;
    EXPECT_EQ(0, T->Offset()) << Why;
    EXPECT_EQ(stFile, T->SaveTo()) << Why;
    EXPECT_EQ(0, Report->DesignState() & dsTemplateLoading) << Why;
  };
  EXPECT_THROW(Load("TPF1" + Bin.substr(4)), EInvalidTemplateError);
  Unchanged("TPF1");
  // A header pointing far past the end is not followed.
  EXPECT_THROW(Load(std::string("\xff\xff\xff\x7f", 4) + "zz"), EInvalidTemplateError);
  Unchanged("header");

  const int Before = Form.ComponentCount();
  const std::string Text = SaveTemplate(Report, ftASCII);
  for (const std::string* Full : {&Bin, &Text}) {
    for (size_t N = 0; N <= Full->size(); ++N) {
      const std::string Prefix = Full->substr(0, N);
      try {
        Load(Prefix);
      } catch (const Exception&) {
      }
      Unchanged("prefix of " + std::to_string(N) + " bytes");
      ASSERT_EQ(Before, Form.ComponentCount()) << N;
    }
  }
  EXPECT_TRUE(Dialogs->Calls.empty());  // damaged bytes are never offered as ignorable

  // A component that is no report object (a table that would open a file as it loads) is refused.
  RegisterClasses({&TTable::StaticClassInfo()});
  TFinally Unregister([] { UnRegisterClass(TTable::StaticClassInfo()); });
  const std::string WithTable = "object Report1: TModelReport\r\n  object Table9: TTable\r\n    DatabaseName = "
                                "'/nonexistent.db'\r\n  end\r\nend\r\n";
  EXPECT_THROW(Load(WithTable), EReadError);
  Unchanged("table");
  EXPECT_EQ(nullptr, Form.FindComponent("Table9"));
}

// User names need only be unique within a report: a failed load gives back exactly the names that
// were there, also when another report on the form uses the same ones.
TEST_F(TemplateTest, FailedLoadsKeepEveryName) {
  auto* Other = new TModelReport(&Form);
  Other->SetName("Report2");
  auto* OtherDetail = new TTemplateBand(&Form, btDetail);
  OtherDetail->SetName("OtherDetail");
  OtherDetail->SetReport(Other);
  std::vector<std::pair<TppCommunicator*, std::string>> Names;
  auto Record = [&](TppCommunicator* C) { Names.emplace_back(C, C->Name() + "/" + C->GetUserName()); };
  for (int B = 0; B < Report->BandCount(); ++B) {
    TppBand* Band = Report->GetBands(B);
    Record(Band);
    for (int I = 0; I < Band->GetObjectCount(); ++I) {
      TppComponent* C = Band->GetObjects(I);
      Record(C);
      auto* Twin = new TTemplateLabel(&Form);
      Twin->SetName("Other" + C->Name());
      Twin->SetBand(OtherDetail);
      Twin->SetUserName(C->GetUserName());
      ASSERT_EQ(C->GetUserName(), Twin->GetUserName());
    }
  }
  Record(Report->GetGroup(0));
  const std::string Bin = SaveTemplate(Report);
  for (const std::string& Damaged : {Bin.substr(0, Bin.size() / 2), Bin.substr(0, Bin.size() - 3), std::string()}) {
    EXPECT_ANY_THROW(Load(Damaged));
    for (const auto& [C, Then] : Names) EXPECT_EQ(Then, C->Name() + "/" + C->GetUserName()) << Damaged.size();
    EXPECT_EQ(Bin, SaveTemplate(Report)) << Damaged.size();
  }
}

TEST_F(TemplateTest, ReaderErrorsAskToAbortIgnoreOrIgnoreAll) {
  std::string Text = SaveTemplate(Report, ftASCII);
  const std::string Anchor = "Ratio = 1.25\r\n";
  const size_t At = Text.find(Anchor);
  ASSERT_NE(std::string::npos, At);
  Text.insert(At, "Bogus = 1\r\n      Other = 2\r\n      ");
  const std::string Bin = SaveTemplate(Report);
  WriteSeed("fuzz_template_text", "unknown-properties.txt", Text);

  Dialogs->Answer(mrCancel);
  EXPECT_THROW(Load(Text), Exception);
  EXPECT_EQ(Bin, SaveTemplate(Report));
  ASSERT_EQ(1u, Dialogs->Calls.size());
  EXPECT_NE(std::string::npos, Dialogs->Call<TppTemplateErrorRequest>(0).Message.find("Bogus"));

  Dialogs->Answer(mrIgnore);
  Dialogs->Answer(mrIgnore);
  Load(Text);
  EXPECT_EQ(3u, Dialogs->Calls.size());
  EXPECT_EQ(1.25, LabelNamed("Label2")->Ratio());

  Dialogs->Answer(mrAll);
  Load(Text);
  EXPECT_EQ(4u, Dialogs->Calls.size());  // the second error is skipped without asking
  EXPECT_EQ(Bin, SaveTemplate(Report));
}

TEST_F(TemplateTest, ClashingNamesAreRenamedAndReferencesFollow) {
  const std::string Bin = SaveTemplate(Report);
  // Another report's label on the same form has the name by the time the template is loaded.
  LabelNamed("Label1")->SetName("First");
  auto* Other = new TTemplateLabel(&Form);
  Other->SetName("Label1");
  Load(Bin);
  TTemplateLabel* L2 = LabelNamed("Label2");
  ASSERT_NE(nullptr, L2);
  ASSERT_NE(nullptr, L2->Partner());
  EXPECT_NE(Other, L2->Partner());
  EXPECT_NE("Label1", L2->Partner()->Name());
  EXPECT_EQ(Report->GetDetailBand(), static_cast<TppComponent*>(L2->Partner())->Band());
  EXPECT_EQ(Other, Form.FindComponent("Label1"));
}

// With ShowBusyCursor a file load or save shows the hourglass while it runs; a load gives back the
// cursor shown before and a save ends on the default one, also after an error. Off: untouched.
TEST_F(TemplateTest, BusyCursorWhileLoadingAndSaving) {
  const std::string Dir = TempDir();
  TFinally Clean([&] {
    SetScreenCursor(crDefault);
    std::system(("rm -rf " + Dir).c_str());
  });
  T->SetFileName(Dir + "/busy.rtm");
  std::vector<TCursor> During;
  T->OnSaveStart = [&](TComponent*) { During.push_back(ScreenCursor()); };
  T->OnLoadStart = [&](TppTemplate*, TStream&) { During.push_back(ScreenCursor()); };
  auto After = [&](const std::function<void()>& Step) {
    SetScreenCursor(crCross);
    During.clear();
    try {
      Step();
    } catch (const Exception&) {
      During.push_back(-1000);  // failed
    }
    return std::make_pair(During, ScreenCursor());
  };
  using R = std::pair<std::vector<TCursor>, TCursor>;
  EXPECT_EQ(R({crHourGlass}, crDefault), After([&] { T->SaveToFile(); }));
  EXPECT_EQ(R({crHourGlass}, crCross), After([&] { T->LoadFromFile(); }));
  T->OnLoadStart = [&](TppTemplate*, TStream&) {
    During.push_back(ScreenCursor());
    throw EReadError("damaged");
  };
  EXPECT_EQ(R({crHourGlass, -1000}, crCross), After([&] { T->LoadFromFile(); }));
  T->OnSaveEnd = [](TppTemplate*, TStream&) { throw EWriteError("full"); };
  EXPECT_EQ(R({crHourGlass, -1000}, crDefault), After([&] { T->SaveToFile(); }));
  T->SetShowBusyCursor(false);
  EXPECT_EQ(R({crCross, -1000}, crCross), After([&] { T->SaveToFile(); }));
  T->OnSaveEnd = nullptr;
  EXPECT_EQ(R({crCross}, crCross), After([&] { T->SaveToFile(); }));
}

TEST_F(TemplateTest, FilesSaveWholeOrNotAtAll) {
  const std::string Dir = TempDir();
  TFinally Clean([&] { std::system(("rm -rf " + Dir).c_str()); });
  const std::string Name = Dir + "/a.rtm";
  T->SetFileName(Name);
  Report->SetModified(true);
  T->SaveToFile();
  EXPECT_FALSE(Report->Modified());
  const std::string Bin = SaveTemplate(Report);
  EXPECT_EQ(Bin, ReadFile(Name));
  T->LoadFromFile();
  EXPECT_EQ(Bin, SaveTemplate(Report));

  T->SetFileName(Dir + "/missing.rtm");
  try {
    T->Load();
    FAIL();
  } catch (const ETemplateLoadError& E) {
    EXPECT_EQ("Arquivo não encontrado: " + Dir + "/missing.rtm", E.Message());
  }

  // Read-only: refused before the file is touched, and the report stays modified.
  T->SetFileName(Name);
  ASSERT_EQ(0, chmod(Name.c_str(), 0444));
  LabelNamed("Label1")->SetmmLeft(777);
  Report->SetModified(true);
  EXPECT_THROW(T->Save(), ETemplateSaveError);
  EXPECT_EQ(Bin, ReadFile(Name));
  EXPECT_TRUE(Report->Modified());

  // A folder that cannot take the file: the error reaches the caller and the report stays modified.
  T->SetFileName(Dir + "/no/such/folder/a.rtm");
  EXPECT_THROW(T->SaveToFile(), Exception);
  EXPECT_TRUE(Report->Modified());
}

// A SQLite table of templates: the record found by name (ignoring case), from a BLOB and a memo field.
TEST_F(TemplateTest, LoadsFromBlobAndMemoFieldsOfADatabase) {
  const std::string Dir = TempDir();
  TFinally Clean([&] { std::system(("rm -rf " + Dir).c_str()); });
  const std::string Db = Dir + "/t.db";
  const std::string Bin = SaveTemplate(Report);
  const std::string Text = SaveTemplate(Report, ftASCII);
  {
    sqlite3* H = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(Db.c_str(), &H));
    sqlite3_exec(H, "CREATE TABLE Templates (Name VARCHAR(40), Data BLOB, Source MEMO)", nullptr, nullptr, nullptr);
    sqlite3_stmt* S = nullptr;
    sqlite3_prepare_v2(H, "INSERT INTO Templates VALUES ('Other', x'00', ''), ('Sales', ?, ?)", -1, &S, nullptr);
    sqlite3_bind_blob(S, 1, Bin.data(), static_cast<int>(Bin.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(S, 2, Text.data(), static_cast<int>(Text.size()), SQLITE_TRANSIENT);
    ASSERT_EQ(SQLITE_DONE, sqlite3_step(S));
    sqlite3_finalize(S);
    sqlite3_close(H);
  }
  auto* Table = new TTable(&Form);
  Table->SetDatabaseName(Db);
  Table->SetTableName("Templates");
  auto* Pipe = new TppDataSetPipeline(&Form);
  Pipe->SetDataSet(Table);

  TppTemplateDBSettings& S = *T->DatabaseSettings();
  T->SetSaveTo(stDatabase);
  EXPECT_THROW(T->Load(), ETemplateLoadError);  // no pipeline
  S.SetDataPipeline(Pipe);
  S.SetNameField("Name");
  S.SetName("sales");
  for (const char* Field : {"Data", "Source"}) {
    SCOPED_TRACE(Field);
    S.SetTemplateField(Field);
    LabelNamed("Label1")->SetmmLeft(1);
    T->Load();
    ASSERT_NE(nullptr, LabelNamed("Label1"));
    EXPECT_EQ(1000, LabelNamed("Label1")->mmLeft());
    EXPECT_EQ(stDatabase, T->SaveTo());
  }
  S.SetName("Missing");
  try {
    T->Load();
    FAIL();
  } catch (const ETemplateLoadError& E) {
    EXPECT_EQ("Registro não encontrado: Missing", E.Message());
  }
  // The platform's data sets cannot be written: a save says so instead of claiming success.
  S.SetName("Sales");
  Report->SetModified(true);
  EXPECT_THROW(T->Save(), ETemplateSaveError);
  EXPECT_TRUE(Report->Modified());
  S.SetTemplateField("Name");
  EXPECT_THROW(T->Load(), ETemplateSaveError);  // neither a BLOB nor a memo field
}

TEST_F(TemplateTest, NewLeavesNoBandsAndNoName) {
  T->SetFileName("/tmp/x.rtm");
  int News = 0;
  T->OnNew = [&](TppTemplate*) { ++News; };
  T->New();
  EXPECT_EQ(0, Report->BandCount());
  EXPECT_EQ(0, Report->GroupCount());
  EXPECT_EQ("", T->FileName());
  EXPECT_EQ(1, News);
}

}  // namespace pptemplatetest

namespace pptemplatetest {

// No code-module class exists here: a module template keeps its module as it was whatever it
// loads, restores its own settings, and is known by name to the streaming.
TEST_F(TemplateTest, ModuleTemplateKeepsItsModule) {
  EXPECT_NE(nullptr, GetClass("TppReportModuleTemplate"));
  auto* Module = new TppRelative(&Form);
  auto* Child = new TppRelative(&Form);
  Child->SetParent(Module);
  TppReportModuleTemplate MT(Module);
  EXPECT_EQ(&Form, MT.Root());
  MT.SetFileName("m.rtm");
  const std::string Bin = SaveTemplate(Report);
  TMemoryStream M;
  Fill(M, Bin);
  MT.LoadFromStream(M);
  EXPECT_EQ(1, Module->GetChildCount());
  EXPECT_EQ("m.rtm", MT.FileName());
  EXPECT_EQ(0, Module->DesignState() & dsTemplateLoading);
  Fill(M, "TPF1");
  EXPECT_THROW(MT.LoadFromStream(M), EInvalidTemplateError);
  EXPECT_EQ(1, Module->GetChildCount());
  MT.New();
  EXPECT_EQ(0, Module->GetChildCount());
}

}  // namespace pptemplatetest
