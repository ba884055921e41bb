// Rich text components on the real engine: page ranges that join without gap or overlap, a first
// line that does not fit, keep-together, fixed and empty texts, templates that keep every
// character and format, mail merge over SQLite records, data rich texts, and drawing the pages'
// commands on printer and screen devices.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/data/DBTables.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/generation/ppRichTx.h"
#include "tests/TestTemp.h"
#include "tests/ppreport/generation/BarCodeDevices.h"
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"

namespace richtexttest {
namespace {

using bandkindstest::mm;

// Paragraphs "Linha 0" ... of 12 points: about sixteen to a page body of 80 mm.
std::string Lines(int Count, const std::string& Head = {}) {
  std::string Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0" + Head + "\\fs24 ";
  for (int I = 0; I < Count; ++I) Rtf += "Linha " + std::to_string(I) + (I + 1 < Count ? "\\par " : "");
  return Rtf + "}";
}

struct TRange {
  int Page, Start, End;
  int32_t Top, Height;
};

class RichTexts : public bandkindstest::GrowingDetail {
protected:
  template <class T = TppRichText>
  T* Add(const std::string& Rtf, int32_t Top = 0, int32_t Width = 70 * mm) {
    auto* C = new T(&Form);
    C->SetBounds(0, Top, Width, 10 * mm);
    C->SetBand(Band);
    C->SetStretch(true);
    if (!Rtf.empty()) C->SetRichText(Rtf);
    return C;
  }
  std::vector<TppDrawRichText*> Commands(const TComponent* C) {
    std::vector<TppDrawRichText*> L;
    for (auto& [No, Page] : Report->Pages)
      for (int I = 0; I < Page->GetDrawCommandCount(); ++I)
        if (auto* D = dynamic_cast<TppDrawRichText*>(Page->GetDrawCommand(I)); D && D->Component() == C) L.push_back(D);
    return L;
  }
  std::vector<TRange> Ranges(const TComponent* C) {
    std::vector<TRange> L;
    for (TppDrawRichText* D : Commands(C))
      L.push_back({D->Page()->AbsolutePageNo(), D->StartCharPos(), D->EndCharPos(), D->Top(), D->Height()});
    return L;
  }
  // The text a command draws: its stream read back, cut to its range.
  static std::u16string Drawn(TppDrawRichText& D) {
    TRichEdit E;
    const auto& B = D.RichTextStream().Bytes();
    E.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(B.data()), B.size()));
    return E.Document().TextRange(D.StartCharPos(), D.EndCharPos() - D.StartCharPos() + 1);
  }
  // Ranges join from 0 to Length - 1, each page's text once.
  void ExpectJoined(const std::vector<TRange>& R, TppCustomRichText& C) {
    ASSERT_FALSE(R.empty());
    EXPECT_EQ(0, R.front().Start);
    EXPECT_EQ(C.RichEdit().Length() - 1, R.back().End);
    for (size_t I = 0; I < R.size(); ++I) {
      EXPECT_LE(R[I].Start, R[I].End) << "page " << R[I].Page;
      if (I > 0) EXPECT_EQ(R[I - 1].End + 1, R[I].Start) << "page " << R[I].Page;
    }
  }
};

TEST_F(RichTexts, PagesJoinWithoutGapOrOverlap) {
  TppRichText* C = Add(Lines(60));
  Run();
  const std::vector<TRange> R = Ranges(C);
  ASSERT_GE(R.size(), 3u);
  ExpectJoined(R, *C);
  std::u16string All;
  for (TppDrawRichText* D : Commands(C)) All += Drawn(*D);
  EXPECT_EQ(C->RichEdit().Text(), All);
  for (const TRange& P : R) {
    EXPECT_GT(P.Height, 0);
    EXPECT_LE(P.Top + P.Height, 90 * mm) << "page " << P.Page;
  }
  // Every page but the last ends after a paragraph mark (whole lines).
  for (size_t I = 0; I + 1 < R.size(); ++I) EXPECT_EQ(u'\r', C->RichEdit().Text()[R[I].End]);
  ExpectSinglePagesAlike();
}

// Below a box of 75 mm, 5 mm are left: a first line of 24 points does not fit and the text starts on
// the next page; a first line higher than a whole page prints there all the same, whole, and the
// rest follows (the report ends).
TEST_F(RichTexts, FirstLineThatDoesNotFitMovesOnAndATallOnePrintsOnAnEmptyPage) {
  struct TCase {
    const char* Name;
    bool Box;
    std::string Rtf;
    int FirstPage;
  };
  const TCase Cases[] = {
      {"moves", true, Lines(5, "\\fs48 Grande\\par"), 2},
      {"moves from below its own offset", false, Lines(5, "\\fs48 Grande\\par"), 2},
      {"taller than a page", false, Lines(3, "\\fs500 Il\\par"), 1},
      {"taller, below a box", true, Lines(3, "\\fs500 Il\\par"), 2},
  };
  for (const TCase& T : Cases) {
    SCOPED_TRACE(T.Name);
    if (T.Box) ppbandtest::AddBox(*Band, "Box", 0, 75 * mm);
    const bool Low = T.Box || std::string(T.Name).starts_with("moves");
    TppRichText* C = Add(T.Rtf, Low ? 75 * mm : 0, 80 * mm);
    Run();
    const std::vector<TRange> R = Ranges(C);
    ASSERT_FALSE(R.empty());
    EXPECT_EQ(T.FirstPage, R.front().Page);
    EXPECT_LT(Report->Pages.size(), 6u);
    ExpectJoined(R, *C);
    if (std::string(T.Name).starts_with("taller")) {
      // The line of 250 points (about 100 mm) alone on its page, its command as high as it.
      EXPECT_EQ(u"Il\r", C->RichEdit().Document().TextRange(R.front().Start, R.front().End - R.front().Start + 1));
      EXPECT_GE(R.front().Height, 80 * mm);
    }
    ExpectSinglePagesAlike();
    while (Band->GetObjectCount() > 0) Band->GetObjects(0)->Free();
  }
}

// With keep-together a text that would split below other content moves whole to the next page.
TEST_F(RichTexts, KeepTogetherMovesTheWholeTextOnce) {
  for (bool Keep : {true, false}) {
    SCOPED_TRACE(Keep);
    ppbandtest::AddBox(*Band, "Box", 0, 60 * mm);
    TppRichText* C = Add(Lines(10), 61 * mm);
    C->SetKeepTogether(Keep);
    Run();
    const std::vector<TRange> R = Ranges(C);
    ASSERT_FALSE(R.empty());
    ExpectJoined(R, *C);
    EXPECT_EQ(Keep ? 2 : 1, R.front().Page);
    if (Keep) EXPECT_EQ(1u, R.size());
    ExpectSinglePagesAlike();
    while (Band->GetObjectCount() > 0) Band->GetObjects(0)->Free();
  }
}

// Without stretching the whole content is one range from 0 in the component's height; an empty
// stretching text takes no room and lets the band end on its page.
TEST_F(RichTexts, FixedAndEmptyTexts) {
  TppRichText* Fixed = Add(Lines(40));
  Fixed->SetStretch(false);
  Fixed->SetmmHeight(20 * mm);
  TppRichText* Empty = Add({}, 0, 20 * mm);
  Empty->SetmmLeft(75 * mm);
  Run();
  ASSERT_EQ(1u, Report->Pages.size());
  const std::vector<TRange> R = Ranges(Fixed);
  ASSERT_EQ(1u, R.size());
  EXPECT_EQ(0, R[0].Start);
  EXPECT_EQ(Fixed->RichEdit().Length() - 1, R[0].End);
  EXPECT_EQ(20 * mm, R[0].Height);
  EXPECT_TRUE(Ranges(Empty).empty());
  EXPECT_FALSE(Empty->OverFlow());
  EXPECT_EQ(0, Empty->SpaceUsed());
}

// A template written and read again keeps the plain text and every character's position and format.
TEST_F(RichTexts, TemplateKeepsTextPositionsAndFormats) {
  const std::string Rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fmodern Courier New;}}"
      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
      "\\pard\\qc\\f0\\fs28 Cora\\'e7\\'e3o e a\\u231?\\u227?o\\par"
      "\\pard\\li720\\b negrito\\b0\\tab\\i it\\'e1lico\\i0\\line\\cf1 vermelho\\cf0\\par"
      "\\f1\\fs20\\highlight2 fundo\\highlight0  {\\*\\unknown skipped}fim}";
  TppRichText* C = Add(Rtf);
  TMemoryStream Bin;
  WriteComponentToStream(Bin, C);
  Bin.SetPosition(0);
  std::unique_ptr<TComponent> Read(ReadComponentFromStream(Bin, nullptr));
  auto* Back = dynamic_cast<TppRichText*>(Read.get());
  ASSERT_NE(nullptr, Back);
  const TRichTextDocument& A = C->RichEdit().Document();
  const TRichTextDocument& B = Back->RichEdit().Document();
  EXPECT_EQ(u"Coração e ação\rnegrito\titálico\vvermelho\rfundo fim", A.Text());
  EXPECT_EQ(Back->GetPlainText(), C->GetPlainText());
  ASSERT_EQ(A.Length(), B.Length());
  for (int I = 0; I < A.Length(); ++I) {
    EXPECT_EQ(A.CharFormat(I, 1), B.CharFormat(I, 1)) << "character " << I;
    EXPECT_EQ(A.ParaFormat(I), B.ParaFormat(I)) << "character " << I;
  }
}

// Customers in SQLite, a second pipeline of notes; tags of both kinds replaced record by record
// while the template keeps them.
class MailMerge : public RichTexts {
protected:
  TTestTempFiles Temp;
  TppDataSetPipeline *Customers = nullptr, *Notes = nullptr;

  void SetUp() override {
    RichTexts::SetUp();
    const std::string Path = Temp.Path("merge.db");
    TQuery Q(nullptr);
    Q.SetDatabaseName(Path);
    for (const char* Sql :
         {"CREATE TABLE Customer (Id INTEGER, Name TEXT, City TEXT, Amount REAL)",
          "INSERT INTO Customer VALUES (1,'Ana','São Paulo',1234.5),(2,'Bia','<City>',7)",
          "CREATE TABLE Note (Note TEXT)", "INSERT INTO Note VALUES ('lembrete')"}) {
      Q.SetSQLText(Sql);
      Q.ExecSQL();
    }
    auto* T = new TTable(&Form);
    T->SetDatabaseName(Path);
    T->SetTableName("Customer");
    Customers = new TppDataSetPipeline(&Form);
    Customers->SetName("Customers");
    Customers->SetDataSet(T);
    auto* N = new TQuery(&Form);
    N->SetDatabaseName(Path);
    N->SetSQLText("SELECT Note FROM Note");
    Notes = new TppDataSetPipeline(&Form);
    Notes->SetName("Notes");
    Notes->SetDataSet(N);
    Report->SetDataPipeline(Customers);
    Notes->Open();
  }
};

TEST_F(MailMerge, TagsTakeEachRecordsValuesAndTheTemplateKeepsThem) {
  const std::string Template =
      "Caro <name>, de <CITY>: <DBTEXT DISPLAYFORMAT='0.00'>Amount</DBTEXT>; "
      "<dbtext datapipeline='Notes'>note</dbtext> <Unknown> fim";
  TppRichText* C = Add("{\\rtf1\\ansi\\f0\\fs24 " + Template + "}");
  C->SetMailMerge(true);
  Run();
  const std::vector<TppDrawRichText*> D = Commands(C);
  ASSERT_EQ(2u, D.size());
  const std::string Amounts[] = {FormatDisplayValue("0.00", dtDouble, Variant(1234.5)),
                                 FormatDisplayValue("0.00", dtDouble, Variant(7.0))};
  // Bia's city holds a tag: inserted as it is, not merged again.
  EXPECT_EQ(Utf8ToUtf16("Caro Ana, de São Paulo: " + Amounts[0] + "; lembrete <Unknown> fim"), Drawn(*D[0]));
  EXPECT_EQ(Utf8ToUtf16("Caro Bia, de <City>: " + Amounts[1] + "; lembrete <Unknown> fim"), Drawn(*D[1]));
  EXPECT_EQ(Utf8ToUtf16(Template), C->RichEdit().Text());
}

// Tag edge cases merged on the first record, without the engine.
TEST_F(MailMerge, TagCases) {
  Customers->Open();
  Customers->First();
  struct TCase {
    const char* Template;
    const char* Merged;
  };
  const TCase Cases[] = {
      {"</DBTEXT> antes <DBTEXT>Name</DBTEXT>", "</DBTEXT> antes Ana"},  // a closing tag first stays
      {"so </DBTEXT>", "so </DBTEXT>"},
      {"<DBTEXT>Name sem fim", "<DBTEXT>Name sem fim"},
      {"<DBTEXT DATAPIPELINE='Nada'>Name</DBTEXT>!", "Ana!"},  // no such pipeline: the main one
      {"<DBTEXT>Nada</DBTEXT>!", "!"},                     // no such field
      {"a > b < c <Name>", "a > b < c Ana"},
      {"<<Name>>", "<Ana>"},
  };
  TppRichText* C = Add({});
  C->SetMailMerge(true);
  for (const TCase& T : Cases) {
    C->SetRichText(T.Template);
    C->PerformMailMerge();
    C->MergeFields();
    EXPECT_EQ(Utf8ToUtf16(T.Merged), C->GetActiveRichEdit().Text()) << T.Template;
    EXPECT_EQ(Utf8ToUtf16(T.Template), C->RichEdit().Text());
  }
  // Without a main pipeline simple tags stay and DBTEXT tags naming a pipeline still merge.
  Report->SetDataPipeline(nullptr);
  C->SetRichText("<Name> <DBTEXT DATAPIPELINE='Notes'>Note</DBTEXT> <DBTEXT>Name</DBTEXT>.");
  C->PerformMailMerge();
  C->MergeFields();
  EXPECT_EQ(u"<Name> lembrete .", C->GetActiveRichEdit().Text());
}

// A data rich text prints its field's RTF record by record; OnGetRichText's text replaces the
// field's; a field that cannot be read shows a message instead of failing the report.
TEST_F(MailMerge, DataRichTextPrintsItsField) {
  auto* Set = new TMemoryDataSet(&Form);
  Set->FieldDefs().Add("Body", ftString, 200);
  Set->AppendRecord({std::string("{\\rtf1\\ansi\\b Primeiro\\b0  texto}")});
  Set->AppendRecord({std::string("segundo, sem RTF")});
  auto* P = new TppDataSetPipeline(&Form);
  P->SetDataSet(Set);
  Report->SetDataPipeline(P);
  auto* C = Add<TppDBRichText>({});
  C->SetDataPipeline(P);
  C->SetDataField("Body");
  Run();
  std::vector<TppDrawRichText*> D = Commands(C);
  ASSERT_EQ(2u, D.size());
  EXPECT_EQ(u"Primeiro texto", Drawn(*D[0]));
  EXPECT_EQ(u"segundo, sem RTF", Drawn(*D[1]));

  C->OnGetRichText = [](TObject*, std::string& Text) { Text = "{\\rtf1 do evento}"; };
  Run();
  D = Commands(C);
  ASSERT_EQ(2u, D.size());
  EXPECT_EQ(u"do evento", Drawn(*D[1]));

  C->OnGetRichText = nullptr;
  C->SetDataField("Missing");
  Run();
  D = Commands(C);
  ASSERT_EQ(2u, D.size());
  EXPECT_EQ(Utf8ToUtf16("Não foi possível ler o texto formatado deste campo."), Drawn(*D[0]));
}

// The pages' commands drawn on a printer and on screens zoomed in and out: each page's text lies
// inside its rectangle, and its last line (red) is drawn whatever the rounding to device pixels.
TEST_F(RichTexts, PageCommandsDrawOnPrinterAndScreen) {
  std::string Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs24 ";
  for (int I = 0; I < 40; ++I) Rtf += "Linha " + std::to_string(I) + "\\par ";
  Rtf += "\\cf1\\fs40 ultima}";
  TppRichText* C = Add(Rtf);
  Run();
  const std::vector<TppDrawRichText*> D = Commands(C);
  ASSERT_GE(D.size(), 2u);
  struct TDevice {
    TppRasterKind Kind;
    int Ppi;
    double Zoom;
  };
  for (const TDevice& Dev : {TDevice{rkPrinter, 300, 1}, TDevice{rkPrinter, 600, 1}, TDevice{rkScreen, 96, 1},
                             TDevice{rkScreen, 96, 0.5}, TDevice{rkScreen, 96, 1.5}}) {
    for (size_t Page : {size_t(0), D.size() - 1}) {
      SCOPED_TRACE(testing::Message() << Dev.Kind << " " << Dev.Ppi << " zoom " << Dev.Zoom << " page " << Page);
      const int Ppi = Dev.Kind == rkPrinter ? Dev.Ppi : static_cast<int>(ScreenPixelsPerInch() * Dev.Zoom);
      std::unique_ptr<bctest::TBitmapDevice, TComponentDeleter> Device(
          new bctest::TBitmapDevice(Dev.Kind, Ppi * 4, Ppi * 4, Dev.Ppi, Dev.Zoom));
      ASSERT_TRUE(D[Page]->DrawOnDevice(Device.get()));
      const TRect R = D[Page]->GetDrawRect();
      int Dark = 0, Red = 0, Outside = 0;
      for (int Y = 0; Y < Device->Page.Height(); ++Y)
        for (int X = 0; X < Device->Page.Width(); ++X) {
          const uint32_t P = Device->At(X, Y);
          const bool In = X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
          const int Rd = (P >> 16) & 0xFF, G = (P >> 8) & 0xFF;
          if (G < 128 && Rd < 128) (In ? Dark : Outside)++;
          if (Rd > 160 && G < 100) (In ? Red : Outside)++;
        }
      EXPECT_GT(Dark, 20);
      EXPECT_EQ(0, Outside);
      if (Page == D.size() - 1) EXPECT_GT(Red, 5);
    }
  }
}

}  // namespace
}  // namespace richtexttest
