// The character-grid device: every text at the row and column its position falls into.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppMeasuringCanvas.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/output/ppTextFileDev.h"

namespace {
using TOwnedText = std::unique_ptr<TppDrawText, TComponentDeleter>;

TSize ZeroExtent(const TFont& Font) {
  TppMeasuringCanvas Measure(nullptr, Font);
  return Measure.Canvas().TextExtent("0");
}

int32_t ScreenToMicrons(int Pixels, int Axis) {
  return ConvertToMicrons(utScreenPixels, Axis, nullptr, static_cast<float>(Pixels));
}

TFont CourierNew(int Size) {
  TFont F;
  F.SetName("Courier New");
  F.SetSize(Size);
  return F;
}

size_t CharCount(std::string_view Text) {
  size_t N = 0;
  for (size_t I = 0; I < Text.size(); ++N) NextUtf8(Text, I);
  return N;
}

// One cell a character: the grid's columns count characters, whatever their UTF-8 length.
std::u32string Characters(std::string_view Text) {
  std::u32string Out;
  for (size_t I = 0; I < Text.size();) {
    const char32_t C = NextUtf8(Text, I);
    Out += C > 0x10FFFF ? U'\uFFFD' : C;
  }
  return Out;
}

// Rounds toward minus infinity: a text left of the page has its column left of column 1.
int64_t FloorDiv(int64_t A, int64_t B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }
}  // namespace

const TClassInfo& TppReportTextFileDevice::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppReportTextFileDevice>("TppReportTextFileDevice", &TppFileDevice::StaticClassInfo());
  return Info;
}

TppReportTextFileDevice::TppReportTextFileDevice(TComponent* AOwner) : TppFileDevice(AOwner) {}

std::string TppReportTextFileDevice::GetFileDescription(TppLanguageType) { return LanguageString(12); }

void TppReportTextFileDevice::ReceivePage(TppPage* Page) {
  TppFileDevice::ReceivePage(Page);
  if (!Page || !Busy() || Cancelled() || !IsRequestedPage()) return;
  UpdateStatus(Page);
  if (!IsMessagePage()) WritePage(*Page);
}

void TppReportTextFileDevice::CalcCharacterGrid(const TppPage& Page, const TppDrawText& First, int32_t& CellWidth,
                                                int32_t& CellHeight) {
  int Size = FFontSize;
  if (FAutoFontSize) {
    const int Width = ZeroExtent(*First.Font()).cx;
    Size = Width <= ZeroExtent(CourierNew(8)).cx ? 8 : Width > ZeroExtent(CourierNew(10)).cx ? 12 : 10;
  }
  const TSize Cell = ZeroExtent(CourierNew(Size));
  const int32_t PageWidth = Page.PageDef()->mmWidth(), PageHeight = Page.PageDef()->mmHeight();
  if (FCalcGridFromFont) {
    CellWidth = std::max<int32_t>(1, ScreenToMicrons(Cell.cx, ppHorizontal));
    CellHeight = std::max<int32_t>(1, ScreenToMicrons(Cell.cy, ppVertical));
    FCharsPerLine = PageWidth / CellWidth;
    FLinesPerPage = PageHeight / CellHeight;
  } else {
    // A grid finer than a micron (or none) would divide by zero: a cell is at least one micron.
    CellWidth = std::max<int32_t>(1, FCharsPerLine > 0 ? PageWidth / FCharsPerLine : 1);
    CellHeight = std::max<int32_t>(1, FLinesPerPage > 0 ? PageHeight / FLinesPerPage : 1);
  }
}

void TppReportTextFileDevice::WritePage(TppPage& Page) {
  // The lines of wrapped texts become texts of their own for this page only.
  std::vector<TOwnedText> Split;
  std::vector<TppDrawText*> Texts;
  for (int I = 0; I < Page.GetDrawCommandCount(); ++I) {
    auto* T = dynamic_cast<TppDrawText*>(Page.GetDrawCommand(I));
    if (!T) continue;
    if (T->WrappedText()->Count() == 0) {
      Texts.push_back(T);
      continue;
    }
    const int32_t LineHeight = ScreenToMicrons(ZeroExtent(*T->Font()).cy, ppVertical);
    for (int L = 0; L < T->WrappedText()->Count(); ++L) {
      TOwnedText Line(new TppDrawText(nullptr));
      Line->SetText(T->WrappedText()->Strings(L));
      Line->SetFont(T->Font());
      Line->SetColor(T->Color());
      Line->SetLeft(T->Left());
      Line->SetWidth(T->Width());
      Line->SetAlignment(T->Alignment());
      Line->SetHeight(LineHeight);
      Line->SetTop(T->Top() + L * LineHeight);
      Texts.push_back(Line.get());
      Split.push_back(std::move(Line));
    }
  }
  if (Texts.empty()) return;
  std::stable_sort(Texts.begin(), Texts.end(), [](const TppDrawText* A, const TppDrawText* B) {
    return A->Top() != B->Top() ? A->Top() < B->Top() : A->Left() < B->Left();
  });
  int32_t W = 1, H = 1;
  CalcCharacterGrid(Page, *Texts.front(), W, H);
  const size_t Blank = static_cast<size_t>(std::max(0, FCharsPerLine));
  std::u32string Line(Blank, U' ');
  int LineNo = 1;
  auto Flush = [&] {
    size_t End = Line.find_last_not_of(U' ');
    Line.resize(End == std::u32string::npos ? 0 : End + 1);
    std::string Bytes;
    for (char32_t C : Line) AppendUtf8(Bytes, C);
    if (!(LineNo == FLinesPerPage && Page.LastPage())) Bytes += "\r\n";
    WriteToFile(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Line.assign(Blank, U' ');
    ++LineNo;
  };
  for (size_t I = 0; I < Texts.size() && LineNo <= FLinesPerPage;) {
    const TppDrawText& T = *Texts[I];
    const int64_t Row = T.Top() / H + 1;
    // Above the current line (a text above the page's top edge): nothing of it can be shown.
    if (Row < LineNo) {
      ++I;
      continue;
    }
    if (Row > LineNo) {
      Flush();
      continue;
    }
    int64_t Column = T.Left() / W + 1;
    ++I;
    // A line break or tab inside a value would break the grid's lines: blanks instead.
    const std::string Text = ppBlankControlCharacters(T.Text());
    const size_t Chars = CharCount(Text);
    size_t Length = static_cast<size_t>(std::max<int64_t>(0, T.Width() / W + 1));
    // An auto-sized text longer than its box grows about its alignment's anchor, as it does on paper.
    if (T.AutoSize() && Chars > Length) {
      const int64_t Spare = T.Width() - static_cast<int64_t>(Chars) * W;
      const int64_t Left = T.Alignment() == taCenter        ? T.Left() + Spare / 2
                           : T.Alignment() == taRightJustify ? T.Left() + Spare
                                                             : T.Left();
      Column = FloorDiv(Left, W) + 1;
      Length = Chars;
    }
    // Starting right of the line's end, or a line's width left of its start: off the page.
    const int64_t Columns = static_cast<int64_t>(Blank);
    if (Column > Columns || Column < 1 - Columns) continue;
    // A box reaching past the right edge is padded to the edge only.
    Length = std::min(Length, std::max(static_cast<size_t>(Columns - Column + 1), Chars));
    if (T.AutoSize()) Length = std::max(Length, Chars);
    std::u32string Cells = Characters(PadText(Text, static_cast<int>(Length), T.Alignment()));
    // Columns left of the page's edge are cut off.
    if (Column < 1) {
      Cells.erase(0, std::min<size_t>(Cells.size(), static_cast<size_t>(1 - Column)));
      Column = 1;
    }
    const size_t At = static_cast<size_t>(Column - 1);
    if (Line.size() < At + Cells.size()) Line.resize(At + Cells.size(), U' ');
    Line.replace(At, Cells.size(), Cells);
  }
  while (LineNo <= FLinesPerPage) Flush();
}
