// The rich text draw command: streams, equality and copies, hostile stream bytes, fitting ranges
// across pages, and drawing on bitmap printer and screen devices.
#include <gtest/gtest.h>

#include <string>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "tests/ppreport/generation/BarCodeDevices.h"

namespace {

template <class T>
using TOwnedRt = std::unique_ptr<T, TComponentDeleter>;

const std::string SampleRtf =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
    "\\f0\\fs40 Ol\\'e1 rich text\\par\\b second line\\b0\\par third}";

void SetRtf(TppDrawRichText& C, const std::string& Rtf) {
  C.RichTextStream().Clear();
  C.RichTextStream().Write(Rtf.data(), static_cast<int64_t>(Rtf.size()));
}

TOwnedRt<TppDrawRichText> MakeRichText(const std::string& Rtf) {
  TOwnedRt<TppDrawRichText> C(new TppDrawRichText(nullptr));
  C->SetLeft(10000);
  C->SetTop(10000);
  C->SetWidth(100000);
  C->SetHeight(40000);
  C->SetColor(clWhite);
  C->SetStartCharPos(0);
  C->SetEndCharPos(-1);
  SetRtf(*C, Rtf);
  return C;
}

TOwnedRt<TppDrawRichText> RtRoundTrip(TppDrawRichText& C) {
  TMemoryStream Bin;
  WriteComponentToStream(Bin, &C);
  Bin.Seek(0, soBeginning);
  return TOwnedRt<TppDrawRichText>(dynamic_cast<TppDrawRichText*>(ReadComponentFromStream(Bin, nullptr)));
}

TOwnedRt<TppDrawRichText> ReadRtText(const std::string& Text) {
  TBytesStream In(Text.data(), static_cast<int64_t>(Text.size()));
  TMemoryStream Bin;
  ObjectTextToBinary(In, Bin);
  Bin.Seek(0, soBeginning);
  return TOwnedRt<TppDrawRichText>(dynamic_cast<TppDrawRichText*>(ReadComponentFromStream(Bin, nullptr)));
}

bool RtDark(bctest::TBitmapDevice& D, int X, int Y) { return ((D.At(X, Y) >> 8) & 0xFF) < 128; }

// Dark pixels inside R and outside R on the device's page.
std::pair<int, int> DarkInOut(bctest::TBitmapDevice& D, const TRect& R) {
  int In = 0, Out = 0;
  for (int Y = 0; Y < D.Page.Height(); ++Y)
    for (int X = 0; X < D.Page.Width(); ++X)
      if (RtDark(D, X, Y)) (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom ? In : Out)++;
  return {In, Out};
}

// The first row, from the top of R, holding a dark pixel; -1 when none.
int FirstDarkRow(bctest::TBitmapDevice& D, const TRect& R) {
  for (int Y = R.Top; Y < R.Bottom; ++Y)
    for (int X = R.Left; X < R.Right; ++X)
      if (RtDark(D, X, Y)) return Y;
  return -1;
}

}  // namespace

TEST(ppRichTxDrwCmdTest, StreamCopyAndEquality) {
  auto C = MakeRichText(SampleRtf);
  C->SetColor(clYellow);
  C->SetStartCharPos(3);
  C->SetEndCharPos(17);
  C->SetTransparent(true);
  auto R = RtRoundTrip(*C);
  ASSERT_TRUE(R);
  EXPECT_EQ(R->RichTextStream().Bytes(), C->RichTextStream().Bytes());
  EXPECT_EQ(R->Color(), clYellow);
  EXPECT_EQ(R->StartCharPos(), 3);
  EXPECT_EQ(R->EndCharPos(), 17);
  EXPECT_TRUE(R->Transparent());
  EXPECT_EQ(R->DataType(), dtBLOB);
  EXPECT_TRUE(R->IsEqual(*C) && C->IsEqual(*R));

  // An empty stream is written too and reads back empty.
  auto E = MakeRichText("");
  auto ER = RtRoundTrip(*E);
  ASSERT_TRUE(ER);
  EXPECT_TRUE(ER->RichTextStream().Bytes().empty());
  EXPECT_TRUE(ER->IsEqual(*E));

  TOwnedRt<TppDrawRichText> Copy(new TppDrawRichText(nullptr));
  Copy->Assign(C.get());
  EXPECT_TRUE(Copy->IsEqual(*C));
  Copy->Assign(Copy.get());  // onto itself: unchanged
  EXPECT_EQ(Copy->RichTextStream().Bytes(), C->RichTextStream().Bytes());

  // Each difference makes them unequal; RTF differing only in letter case too.
  std::string Upper = SampleRtf;
  Upper.replace(Upper.find("rich"), 4, "Rich");
  const std::vector<std::pair<const char*, std::function<void(TppDrawRichText&)>>> Changes = {
      {"Color", [](TppDrawRichText& X) { X.SetColor(clRed); }},
      {"StartCharPos", [](TppDrawRichText& X) { X.SetStartCharPos(4); }},
      {"EndCharPos", [](TppDrawRichText& X) { X.SetEndCharPos(-1); }},
      {"Transparent", [](TppDrawRichText& X) { X.SetTransparent(false); }},
      {"RTF case", [&](TppDrawRichText& X) { SetRtf(X, Upper); }},
      {"Left", [](TppDrawRichText& X) { X.SetLeft(1); }},
  };
  for (const auto& [Name, Change] : Changes) {
    TOwnedRt<TppDrawRichText> D(new TppDrawRichText(nullptr));
    D->Assign(C.get());
    Change(*D);
    EXPECT_FALSE(D->IsEqual(*C)) << Name;
  }
}

TEST(ppRichTxDrwCmdTest, HostileStreamBytesAreRefusedOrDrawnWithinBounds) {
  const std::string Head = "object TppDrawRichText\n  Width = 30000\n  Height = 10000\n  StartCharPos = 0\n";
  // Lengths that claim more than is there, or less than nothing: the read fails, nothing is allocated.
  for (const char* Bytes : {"FFFFFFFF", "FFFFFF7F41", "0500000041", "0100"}) {
    EXPECT_THROW(ReadRtText(Head + "  RTFStream = {" + Bytes + "}\nend\n"), EReadError) << Bytes;
  }
  // Bytes that are damaged RTF, and ranges that point anywhere: drawn on both devices without harm.
  const std::string Rtfs[] = {"{\\rtf1{{{{{{{{{{\\b x", "{\\rtf1\\fs-99999999 y}", "\xff\xfe\x00\x01garbage",
                              std::string(3000, '{') + "\\rtf1 z", "{\\rtf1\\u-70000?\\'zz\\bin999999 w}"};
  const std::pair<int, int> Ranges[] = {{0, -1}, {-5, 3}, {1000000, 2000000}, {5, 2}, {INT32_MAX, INT32_MIN}};
  for (const std::string& Rtf : Rtfs)
    for (auto [First, Last] : Ranges)
      for (TppRasterKind Kind : {rkPrinter, rkScreen}) {
        auto C = MakeRichText(Rtf);
        C->SetStartCharPos(First);
        C->SetEndCharPos(Last);
        auto R = RtRoundTrip(*C);
        ASSERT_TRUE(R);
        auto Device = TOwnedRt<bctest::TBitmapDevice>(new bctest::TBitmapDevice(Kind, 400, 300, 96));
        EXPECT_TRUE(R->DrawOnDevice(Device.get()));
      }
}

TEST(ppRichTxDrwCmdTest, DrawsTheRangeInsideItsRectangleOnPrinterAndScreen) {
  for (TppRasterKind Kind : {rkPrinter, rkScreen}) {
    const double Zoom = Kind == rkScreen ? 2.0 : 1.0;
    auto Device = TOwnedRt<bctest::TBitmapDevice>(new bctest::TBitmapDevice(Kind, 1600, 800, 150, Zoom));
    auto C = MakeRichText(SampleRtf);
    ASSERT_TRUE(C->DrawOnDevice(Device.get()));
    const TRect R = C->GetDrawRect();
    ASSERT_GT(R.Right - R.Left, 100);
    const auto [In, Out] = DarkInOut(*Device, R);
    EXPECT_GT(In, 200) << "kind " << Kind;
    EXPECT_EQ(Out, 0) << "kind " << Kind;
    // The first line starts near the rectangle's top.
    const int Top = FirstDarkRow(*Device, R);
    EXPECT_GE(Top, R.Top);
    EXPECT_LT(Top, R.Top + (R.Bottom - R.Top) / 3);
  }
  // Another device kind draws nothing.
  auto Other = TOwnedRt<bctest::TBitmapDevice>(new bctest::TBitmapDevice(rkOther, 200, 200, 96));
  auto C = MakeRichText(SampleRtf);
  EXPECT_FALSE(C->DrawOnDevice(Other.get()));
}

TEST(ppRichTxDrwCmdTest, TransparentTextKeepsTheBackgroundAroundTheGlyphs) {
  for (TppRasterKind Kind : {rkPrinter, rkScreen}) {
    auto Device = TOwnedRt<bctest::TBitmapDevice>(new bctest::TBitmapDevice(Kind, 800, 400, 96));
    Device->DeviceCanvas()->Brush().SetColor(clYellow);
    Device->DeviceCanvas()->FillRect(Rect(0, 0, 800, 400));
    auto C = MakeRichText(SampleRtf);
    C->SetTransparent(true);
    C->SetColor(clRed);  // not used when transparent
    ASSERT_TRUE(C->DrawOnDevice(Device.get()));
    const TRect R = C->GetDrawRect();
    int Yellow = 0, Dark = 0, Other = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
      for (int X = R.Left; X < R.Right; ++X) {
        const uint32_t P = Device->At(X, Y);
        if (P == 0xFFFF00u) ++Yellow;
        else if (((P >> 16) & 0xFF) < 128) ++Dark;
        else ++Other;
      }
    EXPECT_GT(Dark, 50) << Kind;
    EXPECT_GT(Yellow, (R.Right - R.Left) * (R.Bottom - R.Top) / 2) << Kind;
  }
}

TEST(ppRichTxDrwCmdTest, RangesOfPagesJoinAndTheNextPageContinuesAtItsTop) {
  std::string Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
  for (int I = 0; I < 40; ++I) Rtf += "Line number " + std::to_string(I) + "\\par ";
  Rtf += "end}";
  auto Edit = CreateRichEdit();
  Edit->LoadFromBytes(Rtf);
  const int Length = Edit->Length();
  TBitmap B(1, 1);
  auto Dc = CreateBitmapDC(B, 300, 300);
  const TRect Page = Rect(0, 0, 1500, 600);  // two inches: about ten lines of 12 points

  std::vector<TppCharRange> Ranges;
  int Start = 0;
  bool Fits = false;
  while (!Fits && Ranges.size() < 20) {
    int Height = 0, LastChar = 0;
    Fits = TppRTFEngine::FitRange(*Edit, *Dc, Height, LastChar, Page, {Start, Length - 1});
    if (Fits) {
      EXPECT_GT(Height, 0);
      EXPECT_LE(Height, Page.Bottom);
      Ranges.push_back({Start, Length - 1});
    } else {
      ASSERT_GE(LastChar, Start);
      EXPECT_EQ(Height, Page.Bottom - Page.Top);
      Ranges.push_back({Start, LastChar});
      Start = LastChar + 1;
    }
  }
  ASSERT_TRUE(Fits);
  ASSERT_GE(Ranges.size(), 3u);
  EXPECT_EQ(Ranges.front().First, 0);
  EXPECT_EQ(Ranges.back().Last, Length - 1);
  for (size_t I = 1; I < Ranges.size(); ++I) EXPECT_EQ(Ranges[I].First, Ranges[I - 1].Last + 1);
  // Each page ends at a line end: after a paragraph mark.
  for (size_t I = 0; I + 1 < Ranges.size(); ++I) EXPECT_EQ(Edit->Text()[Ranges[I].Last], u'\r');

  // A range whose only left-over is its closing paragraph mark fits.
  auto Short = CreateRichEdit();
  Short->LoadFromBytes("{\\rtf1\\fs24 one line\\par}");
  int Height = 0, LastChar = 0;
  const TRect OneLine = Rect(0, 0, 1500, 80);
  EXPECT_TRUE(TppRTFEngine::FitRange(*Short, *Dc, Height, LastChar, OneLine, {0, Short->Length() - 1}));
  EXPECT_TRUE(TppRTFEngine::FitRange(*Short, *Dc, Height, LastChar, OneLine, {0, -1}));
  // A rectangle lower than one line takes nothing: the whole range is left over.
  EXPECT_FALSE(TppRTFEngine::FitRange(*Edit, *Dc, Height, LastChar, Rect(0, 0, 1500, 10), {0, -1}));
  EXPECT_EQ(LastChar, -1);

  // The second page drawn: its text starts at the top of its rectangle, like the first page's.
  for (size_t P : {size_t(0), size_t(1)}) {
    auto Device = TOwnedRt<bctest::TBitmapDevice>(new bctest::TBitmapDevice(rkPrinter, 1700, 800, 300));
    auto C = MakeRichText(Rtf);
    C->SetLeft(0);
    C->SetTop(0);
    C->SetWidth(127000);  // five inches
    C->SetHeight(50800);  // two inches
    C->SetStartCharPos(Ranges[P].First);
    C->SetEndCharPos(Ranges[P].Last);
    ASSERT_TRUE(C->DrawOnDevice(Device.get()));
    const TRect R = C->GetDrawRect();
    const int Top = FirstDarkRow(*Device, R);
    EXPECT_GE(Top, 0) << "page " << P;
    EXPECT_LT(Top, 60) << "page " << P;
    EXPECT_EQ(DarkInOut(*Device, R).second, 0);
  }
}

TEST(ppRichTxDrwCmdTest, AVisibleLeftBorderMovesTheTextRightByItsWidth) {
  // The first dark column with and without a left border of 6 points (25 pixels at 300 dpi).
  int Columns[2] = {-1, -1};
  for (int WithBorder : {0, 1}) {
    auto Device = TOwnedRt<bctest::TBitmapDevice>(new bctest::TBitmapDevice(rkPrinter, 1400, 700, 300));
    auto C = MakeRichText(SampleRtf);
    if (WithBorder) {
      C->Border()->SetVisible(true);
      C->Border()->SetWeight(6);
      C->Border()->SetBorderPositions(ppSetBit(bpLeft));
    }
    ASSERT_TRUE(C->DrawOnDevice(Device.get()));
    const TRect R = C->GetDrawRect();
    for (int X = R.Left; X < R.Right && Columns[WithBorder] < 0; ++X)
      for (int Y = R.Top; Y < R.Bottom; ++Y)
        if (RtDark(*Device, X, Y)) {
          Columns[WithBorder] = X - R.Left;
          break;
        }
    EXPECT_EQ(Device->Borders.size(), static_cast<size_t>(WithBorder));
  }
  ASSERT_GE(Columns[0], 9);  // 45 twips: 9 pixels at 300 dpi, plus the glyph's own side bearing
  EXPECT_NEAR(Columns[1] - Columns[0], 25, 1);
}

TEST(ppRichTxDrwCmdTest, SelectionBackColorAnswersThePreviousOne) {
  auto Edit = CreateRichEdit();
  Edit->LoadFromBytes("{\\rtf1{\\colortbl;\\red255\\green255\\blue255;\\red0\\green0\\blue255;}"
                      "plain \\cf1 white\\cf2  blue\\cf0}");
  struct TCase {
    int Start, Length;
    TColorRef Previous;
    bool Flag;
  };
  // Without a background: black text reads as white before, white text as black, another colour
  // as white with the flag down.
  const TCase Cases[] = {{0, 5, 0xFFFFFF, true}, {6, 5, 0, true}, {12, 4, 0xFFFFFF, false}};
  for (const TCase& T : Cases) {
    Edit->Select(T.Start, T.Length);
    bool Flag = !T.Flag;
    EXPECT_EQ(TppRTFEngine::SetSelectionBackColor(*Edit, clYellow, Flag), T.Previous) << T.Start;
    EXPECT_EQ(Flag, T.Flag) << T.Start;
    EXPECT_EQ(Edit->SelAttributes().BackColor, ColorToRGB(clYellow));
    // Set again: the yellow it now has comes back.
    EXPECT_EQ(TppRTFEngine::SetSelectionBackColor(*Edit, clAqua, Flag), ColorToRGB(clYellow));
  }
}

TEST(ppRichTxDrwCmdTest, PagesOfARichTextJoinWithoutGapOrOverlap) {
  // Lines of 12 points and a heading of 60 points higher than the small pages below.
  std::string Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs120 Big\\par\\fs24 ";
  for (int I = 0; I < 25; ++I) Rtf += "Row " + std::to_string(I) + "\\par ";
  Rtf += "last}";
  auto Edit = CreateRichEdit();
  Edit->LoadFromBytes(Rtf);
  const int Length = Edit->Length();
  TBitmap B(1, 1);
  auto Dc = CreateBitmapDC(B, 300, 300);
  const TRect Band = Rect(0, 0, 1500, 400);     // an empty page's room: 1.33 inches
  const TRect Rest = Rect(0, 300, 1500, 400);   // what a page already holding bands leaves: a third of an inch

  // On a page already in use, a first line that does not fit moves on whole: nothing is lost.
  TppRichTextPageFit F = ppFitRichTextPage(*Edit, *Dc, Rest, 0, false, false);
  EXPECT_EQ(F.StartCharPos, -1);
  EXPECT_EQ(F.EndCharPos, -1);
  EXPECT_EQ(F.NextStart, 0);
  // Kept together: moves whole, marked.
  F = ppFitRichTextPage(*Edit, *Dc, Band, 0, true, true);
  EXPECT_TRUE(F.KeptTogether);
  EXPECT_EQ(F.NextStart, 0);
  EXPECT_EQ(F.EndCharPos, -1);

  // An empty page lower than the heading still takes it; then pages follow until the end.
  const TRect Low = Rect(0, 0, 1500, 100);
  std::vector<std::pair<int, int>> Pages;
  int Start = 0;
  for (int Page = 0; Start >= 0 && Page < 100; ++Page) {
    F = ppFitRichTextPage(*Edit, *Dc, Page == 0 ? Low : Band, Start, true, false);
    ASSERT_GE(F.EndCharPos, F.StartCharPos) << "page " << Page;
    ASSERT_EQ(F.StartCharPos, Start);
    EXPECT_GT(F.Height, 0);
    Pages.push_back({F.StartCharPos, F.EndCharPos});
    Start = F.NextStart;
  }
  ASSERT_EQ(Start, -1);
  ASSERT_GE(Pages.size(), 3u);
  EXPECT_EQ(Pages.front().first, 0);
  EXPECT_EQ(Pages.front().second, 3);  // "Big" and its mark
  EXPECT_EQ(Pages.back().second, Length - 1);
  for (size_t I = 1; I < Pages.size(); ++I) EXPECT_EQ(Pages[I].first, Pages[I - 1].second + 1);
  // The whole text is in the pages' ranges exactly once.
  std::u16string Joined;
  for (auto [A, Z] : Pages) Joined += Edit->Document().TextRange(A, Z - A + 1);
  EXPECT_EQ(Joined, Edit->Text());

  // Empty text: nothing placed, nothing to continue.
  auto Empty = CreateRichEdit();
  F = ppFitRichTextPage(*Empty, *Dc, Band, 0, true, false);
  EXPECT_EQ(F.EndCharPos, -1);
  EXPECT_EQ(F.NextStart, -1);
  EXPECT_EQ(F.Height, 0);
}
