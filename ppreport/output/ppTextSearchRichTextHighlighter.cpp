#include "ppreport/output/ppTextSearchRichTextHighlighter.h"

#include <algorithm>
#include <mutex>
#include <string_view>

#include "platform/richtext/RichTextLock.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "ppreport/output/ppSearchConsts.h"
#include "ppreport/output/ppTextSearchOccurrence.h"

TppOwnedDrawCommand TppTextSearchRichTextHighlighter::CreateHighlight(TppDrawCommand* Command,
                                                                      TppTextSearchOccurrence* Occurrence,
                                                                      const std::string& SearchText, TCanvas* Canvas) {
  TppTextSearchDrawCommandHighlighter::CreateHighlight(Command, Occurrence, SearchText, Canvas);
  auto* Rich = dynamic_cast<TppDrawRichText*>(Command);
  if (!Rich)
    throw ESearchHighlightError(ppErrorText("TppTextSearchRichTextHighlighter", "CreateHighlight",
                                            Format(SppRichHighlightNotRichText, {Command->ClassName()})));
  ApplyColors(*Rich, RichBackColor, RichTextColor, SearchText, *Occurrence, true);
  return nullptr;
}

void TppTextSearchRichTextHighlighter::EraseHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence,
                                                      const std::string& SearchText, TCanvas* Canvas) {
  TppTextSearchDrawCommandHighlighter::EraseHighlight(Command, Occurrence, SearchText, Canvas);
  auto* Rich = dynamic_cast<TppDrawRichText*>(Command);
  // Erasing twice would paint the colours recorded by the first erase: only a hit that holds the
  // colours it replaced is written back, once.
  if (!Rich || Occurrence->SavedBackColor == -1) return;
  ApplyColors(*Rich, Occurrence->SavedBackColor, Occurrence->SavedFontColor, SearchText, *Occurrence, false);
  Occurrence->SavedBackColor = -1;
  Occurrence->SavedFontColor = -1;
}

void TppTextSearchRichTextHighlighter::ApplyColors(TppDrawRichText& Command, TColor BackColor, TColor TextColor,
                                                   const std::string& SearchText, TppTextSearchOccurrence& Occurrence,
                                                   bool Record) {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  std::unique_ptr<TppRichEdit> Edit = CreateRichEdit();
  const auto& Bytes = Command.RichTextStream().Bytes();
  Edit->LoadFromBytes(std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));

  Edit->Select(Occurrence.RichTextPosition, static_cast<int>(Utf8ToUtf16(SearchText).size()));
  const TRichCharFormat Old = Edit->SelAttributes();
  TRichCharFormat F = Old;
  F.AutoColor = TextColor == clDefault;
  if (!F.AutoColor) F.Color = ColorToRGB(TextColor);
  Edit->SetSelAttributes(F, CFM_COLOR);

  if (BackColor == clDefault) {
    F.AutoBackColor = true;
    Edit->SetSelAttributes(F, CFM_BACKCOLOR);
  } else {
    bool Flag = false;
    TppRTFEngine::SetSelectionBackColor(*Edit, BackColor, Flag);
  }
  if (Record) {
    Occurrence.SavedFontColor = Old.AutoColor ? clDefault : static_cast<TColor>(Old.Color);
    if (Old.AutoBackColor) Occurrence.SavedBackColor = clDefault;
    else Occurrence.RecordBackColor(static_cast<TColor>(Old.BackColor));
  }

  const std::string Rtf = Edit->SaveToBytes();
  TMemoryStream& Stream = Command.RichTextStream();
  Stream.Clear();
  Stream.WriteBuffer(Rtf.data(), static_cast<int64_t>(Rtf.size()));
  Stream.SetPosition(0);
}
