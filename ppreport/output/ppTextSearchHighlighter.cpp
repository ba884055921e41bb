#include "ppreport/output/ppTextSearchHighlighter.h"

#include <cmath>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPlainText.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppSearchConsts.h"
#include "ppreport/output/ppTextSearchOccurrence.h"
#include "ppreport/output/ppTextSearchToolbox.h"

namespace {

int32_t R(long double X) { return static_cast<int32_t>(Round(X)); }

int32_t PixelsToMicrons(int Pixels) { return ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(Pixels)); }

[[noreturn]] void Fail(const char* ClassName, const char* Operation, const std::string& Text) {
  throw ESearchHighlightError(ppErrorText(ClassName, Operation, Text));
}

void CheckArguments(const char* Operation, const TppDrawCommand* Command, const TppTextSearchOccurrence* Occurrence) {
  if (!Command) Fail("TppTextSearchDrawCommandHighlighter", Operation, SppHighlightNoCommand);
  if (!Occurrence) Fail("TppTextSearchDrawCommandHighlighter", Operation, SppHighlightNoOccurrence);
}

// A text command's font for the screen: the substituted face.
TFont ScreenFont(const TppDrawText& Command) {
  TFont F = *Command.Font();
  F.SetName(TppDeviceSubstitutions::SubstituteFont(F.Name()));
  return F;
}

}  // namespace

// ---- base

TppOwnedDrawCommand TppTextSearchDrawCommandHighlighter::CreateHighlight(TppDrawCommand* Command,
                                                                          TppTextSearchOccurrence* Occurrence,
                                                                          const std::string&, TCanvas* Canvas) {
  CheckArguments("CreateHighlight", Command, Occurrence);
  if (!Canvas) Fail("TppTextSearchDrawCommandHighlighter", "CreateHighlight", SppHighlightNoCanvas);
  return nullptr;
}

void TppTextSearchDrawCommandHighlighter::EraseHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence,
                                                         const std::string&, TCanvas*) {
  CheckArguments("CreateHighlight", Command, Occurrence);
}

// ---- plain text

TppOwnedDrawCommand TppTextSearchHighlighter::CreateHighlight(TppDrawCommand* Command,
                                                              TppTextSearchOccurrence* Occurrence,
                                                              const std::string& SearchText, TCanvas* Canvas) {
  TppTextSearchDrawCommandHighlighter::CreateHighlight(Command, Occurrence, SearchText, Canvas);
  auto* Text = dynamic_cast<TppDrawText*>(Command);
  if (!Text) Fail("TppTextSearchHighlighter", "HighlightText", SppHighlightNotText);
  FTextCommand = Text;
  FCanvas = Canvas;
  TFinally Forget([&] {
    FTextCommand = nullptr;
    FCanvas = nullptr;
  });

  Occurrence->RecordBackColor(Text->Color());
  Occurrence->SavedFontColor = Text->Font()->Color();

  const TFont SavedFont = Canvas->Font();
  TFinally RestoreFont([&] { Canvas->SetFont(SavedFont); });
  TFont F = ScreenFont(*Text);
  // Measured as the screen device drew it: without its layout the hit cannot be placed.
  if (Text->LayoutFontHeight() == 0)
    Fail("TppTextSearchHighlighter", "CreateHighlight", Format(SppHighlightNoScreenMetrics, {Text->ClassName()}));
  F.SetHeight(Text->LayoutFontHeight());
  Canvas->SetFont(F);

  std::string Line = Text->Text();
  if (Text->IsMemo()) {
    const int No = Occurrence->TextLineNo;
    // A hit's line past the wrapped text (a command changed since the search) has nothing to show.
    if (!Text->WrappedText() || No < 1 || No > Text->WrappedText()->Count())
      Fail("TppTextSearchHighlighter", "CreateHighlight", Format(SppHighlightNoLine, {No}));
    Line = Text->WrappedText()->Strings(No - 1);
  }
  LocateMatch(Line, SearchText, Occurrence->OrdinalInLine());
  if (Text->IsMemo()) FTop = (Occurrence->TextLineNo - 1) * FHeight;

  std::unique_ptr<TppDrawText, TComponentDeleter> H = CreateHighlightCommand();
  if (!H) Fail("TppTextSearchHighlighter", "Highlight", SppHighlightNotCreated);
  H->SetTop(Text->Top() + FTop);
  H->SetLeft(Text->Left() + FLeft);
  H->SetWidth(FWidth);
  H->SetHeight(FHeight);
  if (Text->IsMemo() && Text->TextAlignment() == taFullJustified) {
    // A justified line is painted again whole, justified as the command's own line; the last line
    // of a paragraph is not justified.
    const std::string_view End = TppTextMarkups::ParagraphEnd();
    std::string Whole = FLineText;
    bool HadEnd = false;
    for (size_t P; (P = Whole.find(End)) != std::string::npos; HadEnd = true) Whole.erase(P, End.size());
    H->SetText(Whole);
    if (!HadEnd) H->SetTextAlignment(taFullJustified);
  }
  return TppOwnedDrawCommand(H.release());
}

std::unique_ptr<TppDrawText, TComponentDeleter> TppTextSearchHighlighter::CreateHighlightCommand() {
  std::unique_ptr<TppDrawText, TComponentDeleter> H(new TppDrawText(nullptr));
  H->SetRedrawPage(true);
  H->SetColor(Color);
  TFont F = ScreenFont(*FTextCommand);
  F.SetColor(TextColor);
  H->SetFont(&F);
  H->SetText(FMatchedText);
  H->SetTransparent(Transparent);
  return H;
}

int32_t TppTextSearchHighlighter::FindNextInLine(const std::string& SearchText, std::string& Rest, int32_t& Consumed,
                                                 int32_t& MatchLength, std::string& Prefix) {
  int32_t Position = 0, Length = 0;
  if (!TppTextSearchToolboxRegistry::ToolboxClass().FindText(Rest, SearchText, CaseSensitive, WholeWord, Position,
                                                             &Length))
    return 0;
  const size_t Moved = static_cast<size_t>(Position - 1 + Length);
  Prefix.append(Rest, 0, Moved);
  Rest.erase(0, Moved);
  Consumed += static_cast<int32_t>(Moved);
  MatchLength = Length;
  return Position;
}

void TppTextSearchHighlighter::LocateMatch(const std::string& Line, const std::string& SearchText, int32_t Ordinal) {
  std::string Rest = Line, Prefix;
  int32_t Consumed = 0, Length = 0;
  for (int32_t I = 0; I < Ordinal; ++I) FindNextInLine(SearchText, Rest, Consumed, Length, Prefix);
  FLineText = Line;
  // Before, the match (as the report writes it, whatever the case searched) and after.
  const std::string B = Line.substr(0, static_cast<size_t>(Consumed - Length));
  FMatchedText = Line.substr(static_cast<size_t>(Consumed - Length), static_cast<size_t>(Length));
  const std::string A = Line.substr(static_cast<size_t>(Consumed));
  TppTextSearchToolbox& Toolbox = TppTextSearchToolboxRegistry::ToolboxClass();
  const int WB = Toolbox.TextWidth(B, *FCanvas), WM = Toolbox.TextWidth(FMatchedText, *FCanvas),
            WA = Toolbox.TextWidth(A, *FCanvas);
  int Left = 0;  // pixels at the viewer's zoom
  switch (FTextCommand->TextAlignment()) {
    case taLeftJustified: Left = WB; break;
    case taRightJustified: {
      const float Width = ConvertFromMicrons(FTextCommand->Width(), utScreenPixels, ppHorizontal, nullptr);
      Left = R(R(Width) * static_cast<long double>(ScaleX)) - WM - WA;
      break;
    }
    case taCentered: {
      const int TextWidth = static_cast<int>(
          std::trunc(ConvertFromMicrons(FTextCommand->LayoutTextWidth(), utScreenPixels, ppHorizontal, nullptr)));
      Left = WB + R((TextWidth - WB - WM - WA) / 2.0L - 0.5L);
      break;
    }
    default: Left = 0;  // full justification paints the whole line
  }
  FLeft = PixelsToMicrons(Left);
  FTop = 0;
  CalculateSize(FTextCommand->TextAlignment() == taFullJustified);
  FLeft = R(FLeft / static_cast<long double>(ScaleX));
  FTop = R(FTop / static_cast<long double>(ScaleY));
  FWidth = R(FWidth / static_cast<long double>(ScaleX));
  FHeight = R(FHeight / static_cast<long double>(ScaleY));
}

void TppTextSearchHighlighter::CalculateSize(bool FullJustified) {
  FWidth = FullJustified ? FTextCommand->LayoutTextWidth()
                         : PixelsToMicrons(TppTextSearchToolboxRegistry::ToolboxClass().TextWidth(FMatchedText, *FCanvas));
  // Over the slant of an italic face, or the last pixel column of an upright one.
  const bool Italic = (FTextCommand->Font()->Style() & fsItalic) != 0;
  FWidth += R(static_cast<long double>(ScaleX) * (Italic ? 750 : 100));
  FHeight = FTextCommand->LayoutLineHeight();
  if (FHeight == 0) Fail("TppTextSearchHighlighter", "CalculateSize", SppHighlightNoLineHeight);
}

// ---- registry

namespace {

struct TRegistration {
  const TClassInfo* CommandClass;
  TppHighlighterClass Highlighter;
};

struct THighlightRegistry {
  std::vector<TRegistration> Entries;
  std::vector<std::pair<std::type_index, std::unique_ptr<TppTextSearchDrawCommandHighlighter>>> Instances;
};

THighlightRegistry& Registry() {
  static THighlightRegistry Reg;
  return Reg;
}

// The entry for a class: of those registered for it or an ancestor the most general, of several
// for one class the last.
const TRegistration* MatchingEntry(const TClassInfo& C) {
  const TRegistration* Best = nullptr;
  for (const TRegistration& E : Registry().Entries)
    if (C.InheritsFrom(E.CommandClass) && (!Best || Best->CommandClass->InheritsFrom(E.CommandClass))) Best = &E;
  return Best;
}

}  // namespace

void TppTextSearchDrawCommandHighlightRegistry::Register(const TClassInfo& CommandClass,
                                                         const TppHighlighterClass& Highlighter) {
  Registry().Entries.push_back({&CommandClass, Highlighter});
}

void TppTextSearchDrawCommandHighlightRegistry::UnRegister(const TClassInfo& CommandClass,
                                                           const TppHighlighterClass& Highlighter) {
  auto& Entries = Registry().Entries;
  for (auto It = Entries.begin(); It != Entries.end(); ++It)
    if (It->CommandClass == &CommandClass && It->Highlighter.Type == Highlighter.Type) {
      Entries.erase(It);
      return;
    }
}

bool TppTextSearchDrawCommandHighlightRegistry::HasHighlighter(const TClassInfo& CommandClass) {
  return MatchingEntry(CommandClass) != nullptr;
}

const TppHighlighterClass& TppTextSearchDrawCommandHighlightRegistry::GetHighlighterClass(
    const TppDrawCommand& Command) {
  const TRegistration* E = MatchingEntry(*Command.ClassInfo());
  if (!E)
    throw ESearchError(ppErrorText("TppTextSearchHighlightRegistry", "GetHighlighterForDrawCommand",
                                   Format(SppHighlighterNotFound, {Command.ClassName()})));
  return E->Highlighter;
}

TppTextSearchDrawCommandHighlighter& TppTextSearchDrawCommandHighlightRegistry::GetHighlighter(
    const TppDrawCommand& Command) {
  const TppHighlighterClass& H = GetHighlighterClass(Command);
  auto& Instances = Registry().Instances;
  for (auto& [Type, Instance] : Instances)
    if (Type == H.Type) return *Instance;
  Instances.emplace_back(H.Type, H.Create());
  return *Instances.back().second;
}

void TppTextSearchDrawCommandHighlightRegistry::Clear() {
  Registry().Entries.clear();
  Registry().Instances.clear();
}
