#include "ppreport/generation/ppMemo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/classes/Filer.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPlainText.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/generation/ppCompUtils.h"

namespace {
// Before it, leading was stored in screen pixels.
constexpr int ppVersionMemoLeadingMicrons = 3000;
}  // namespace

// ---- TppCustomMemo

TppCustomMemo::TppCustomMemo(TComponent* AOwner) : TppStretchable(AOwner) {
  SetCacheRecordSize(sizeof(TppMemoCacheRecord));
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawText(nullptr); });
}

TppCustomMemo::~TppCustomMemo() { BeforeDestruction(); }

TStrings* TppCustomMemo::GetLines() {
  RefreshLines();
  return &FLines;
}

void TppCustomMemo::SetLines(const TStrings* Value) {
  FLines.Assign(Value);
  RefreshLines();
}

TMemoryStream* TppCustomMemo::GetMemoStream() {
  RefreshLines();
  return &FMemoStream;
}

void TppCustomMemo::RefreshLines() {
  StringsToStream(&FLines, &FMemoStream);
  InvalidateDesignControl();
}

std::unique_ptr<char[]> TppCustomMemo::GetMemoBuffer() {
  TMemoryStream* S = GetMemoStream();
  const size_t Size = static_cast<size_t>(S->Size());
  if (Size == 0) return nullptr;
  auto Buffer = std::make_unique<char[]>(Size + 1);
  std::memcpy(Buffer.get(), S->Memory(), Size);
  Buffer[Size] = '\0';
  return Buffer;
}

std::string TppCustomMemo::GetText() const { return const_cast<TppCustomMemo*>(this)->GetLines()->Text(); }

void TppCustomMemo::SetText(const std::string& Value) {
  FLines.SetText(Value);
  RefreshLines();
}

void TppCustomMemo::SetCharWrap(bool Value) {
  if (Value == FCharWrap) return;
  PropertyChanging("CharWrap");
  FCharWrap = Value;
  InvalidateDesignControl();
  Changed();
}

void TppCustomMemo::SetmmLeading(int32_t Value) {
  FLeading = Value;
  InvalidateDesignControl();
  Changed();
}

void TppCustomMemo::SetLeading(float Value) {
  if (IsReadingOrLoading()) {
    FLeading = static_cast<int32_t>(Trunc(Value));
    return;
  }
  PropertyChanging("Leading");
  SetmmLeading(UnitsToMMThousandths(Units(), ppVertical, Value));
}

TStrings* TppCustomMemo::GetTabStopPositions() {
  if (IsReadingOrLoading() || HasState(csWriting)) return &FTabStopPositions;
  FEditedTabStops.OnChange = nullptr;
  FEditedTabStops.Assign(&FTabStopPositions);
  ConvertListFromMicrons(FEditedTabStops, Units(), ppHorizontal, Units() == utPrinterPixels ? GetPrinter() : nullptr);
  FEditedTabStops.OnChange = [this](TObject*) { TabStopsEdited(); };
  return &FEditedTabStops;
}

void TppCustomMemo::SetTabStopPositions(const TStrings* Value) {
  if (IsReadingOrLoading()) {
    FTabStopPositions.Clear();
    if (Value) FTabStopPositions.AddStrings(*Value);
    return;
  }
  PropertyChanging("TabStopPositions");
  FEditedTabStops.OnChange = nullptr;
  FEditedTabStops.Clear();
  if (Value) FEditedTabStops.AddStrings(*Value);
  TabStopsEdited();
}

void TppCustomMemo::TabStopsEdited() {
  FTabStopPositions.Assign(&FEditedTabStops);
  ConvertListToMicrons(FTabStopPositions, Units(), ppHorizontal, Units() == utPrinterPixels ? GetPrinter() : nullptr);
  InvalidateDesignControl();
  Changed();
}

void TppCustomMemo::NormalizeTabStops() { NormalizeTabStopTexts(FTabStopPositions); }

void TppCustomMemo::FontChanged() {
  TppStretchable::FontChanged();
  if (Stretch()) InvalidateLayout();
}

void TppCustomMemo::ConvertFromVersion(int Version) {
  TppStretchable::ConvertFromVersion(Version);
  if (Version < ppVersionMemoLeadingMicrons)
    FLeading = ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(FLeading));
}

void TppCustomMemo::DefineProperties(TFiler* Filer) {
  TppStretchable::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppCustomMemo*>(Filer->Ancestor());
  // Old streams may hold the leading as a float: taken toward zero.
  const int32_t Leading = FLeading;
  Filer->DefineProperty(
      "mmLeading",
      [this](TReader& R) {
        const TValueType Type = R.NextValue();
        if (Type == vaExtended || Type == vaSingle || Type == vaCurrency || Type == vaDate)
          FLeading = static_cast<int32_t>(std::clamp<int64_t>(Trunc(R.ReadFloat()), INT32_MIN, INT32_MAX));
        else
          FLeading = R.ReadInteger();
      },
      [Leading](TWriter& W) { W.WriteInteger(Leading); }, !Anc || Anc->FLeading != Leading);
  Filer->DefineProperty("Position", [](TReader& R) { R.ReadInteger(); }, nullptr, false);
}

void TppCustomMemo::Loaded() {
  TppStretchable::Loaded();
  // Stored reports may hold tab stops written with a decimal separator.
  NormalizeTabStops();
}

// ---- generation

void TppCustomMemo::Init() {
  TppStretchable::Init();
  FCharPosition = 0;
  FStalled = false;
}

void TppCustomMemo::GenerateContent() {
  IppMeasuringPrinter* Printer = GetPrinter();
  const TRect PageRect = PrintRect();
  const std::string Text = GetText();
  if (!Stretch() || !IsContainerDynamic()) {
    // A fixed memo: what fits in its height, in its height.
    FCharPosition = 0;
    int32_t Position = 0;
    TppPlainText::WordWrap(Text, PageRect, TextAlignment(), false, *Font(), FCharWrap, FLeading, &FTabStopPositions,
                           Printer, Position, FPrintLines);
    SetSpaceUsed(std::max(0, std::min(PageRect.Height(), mmHeight())));
    SetOverFlow(false);
    return;
  }
  const int32_t Start = FCharPosition;
  TppPlainText::WordWrap(Text, PageRect, TextAlignment(), false, *Font(), FCharWrap, FLeading, &FTabStopPositions,
                         Printer, FCharPosition, FPrintLines);
  int32_t LineHeight = 0;
  TppPlainText::CalcLineCount(*Font(), FLeading, LineHeight, Printer, PageRect.Height());
  const auto Used = [&] {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{FPrintLines.Count()} * LineHeight, 0,
                                                    std::max(PageRect.Height(), 0)));
  };
  const int32_t Length = static_cast<int32_t>(Text.size());
  bool Cut = false;
  if (FPrintLines.Count() == 0 && FCharPosition < Length && FCharPosition != -1) {
    // Nothing fits here: the same character waits for the next page, which has more room, unless
    // this page already had all the room a page gives.
    FCharPosition = Start;
    if (FStalled) {
      CutLine(Text);
      Cut = true;
      // Every cut takes at least one character; should none be left to take, the memo ends here.
      if (FCharPosition <= Start) FCharPosition = Length;
    }
  }
  SetSpaceUsed(Cut ? std::max(PageRect.Height(), 0) : Used());
  if (FCharPosition >= Length || FCharPosition == -1) {
    SetOverFlow(false);
    FCharPosition = 0;
    FStalled = false;
    SetKeptTogether(false);
    return;
  }
  SetOverFlow(true);
  // After a cut the next page gives the same room again.
  FStalled = Cut || FPrintLines.Count() == 0;
  if (KeepTogetherApplies()) {
    // Whole on the next page rather than split here.
    SetSpaceUsed(0);
    SetKeptTogether(true);
    FCharPosition = Start;
    FPrintLines.Clear();
  }
}

void TppCustomMemo::CutLine(const std::string& Text) {
  IppMeasuringPrinter* Printer = GetPrinter();
  TRect Rect = PrintRect();
  // The wrapper's own line height (measured on an empty rectangle) lets exactly one line fit.
  TppTextWrapper Measure;
  Measure.SetFont(Font());
  Measure.SetLeading(FLeading);
  Measure.SetPrinter(Printer);
  Measure.SetRect({Rect.Left, Rect.Top, Rect.Right, Rect.Top});
  Measure.Wrap();
  Rect.Bottom = Rect.Top + std::max(Measure.LineHeight(), 0) + 1;
  TppPlainText::WordWrap(Text, Rect, TextAlignment(), false, *Font(), FCharWrap, FLeading, &FTabStopPositions, Printer,
                         FCharPosition, FPrintLines);
  while (FPrintLines.Count() > 1) FPrintLines.Delete(FPrintLines.Count() - 1);
}

void TppCustomMemo::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppStretchable::PropertiesToDrawCommand(DrawCommand);
  auto* T = dynamic_cast<TppDrawText*>(DrawCommand);
  if (!T) return;
  const TRect R = PrintRect();
  T->SetAlignment(Alignment());
  T->SetColor(Color());
  T->SetDataType(dtMemo);
  T->SetLeft(R.Left);
  T->SetTop(R.Top);
  T->SetWidth(R.Width());
  T->SetHeight(R.Height());
  T->SetFont(Font());
  T->SetTextAlignment(TextAlignment());
  T->SetForceJustifyLastLine(ForceJustifyLastLine());
  T->SetIsMemo(true);
  T->SetLeading(FLeading);
  T->SetTransparent(Transparent());
  T->SetWordWrap(true);
  T->SetTabStopPositions(&FTabStopPositions);
  T->SetWrappedText(&FPrintLines);
}

void TppCustomMemo::FillMemoRecord(TppMemoCacheRecord& R) const {
  FillStretchableRecord(R.Stretchable);
  R.Stretchable.Reserved1[0] = KeptTogether();
  R.Stretchable.Reserved1[1] = FStalled;
  R.CharPosition = FCharPosition;
}

void TppCustomMemo::TakeMemoRecord(const TppMemoCacheRecord& R) {
  TakeStretchableRecord(R.Stretchable);
  SetKeptTogether(R.Stretchable.Reserved1[0] != 0);
  FStalled = R.Stretchable.Reserved1[1] != 0;
  FCharPosition = std::max(R.CharPosition, 0);
}

void TppCustomMemo::SaveToCache(int Page) {
  TppMemoCacheRecord R{};
  FillMemoRecord(R);
  WriteRecord(Page, R);
}

void TppCustomMemo::RestoreFromCache(int Page) {
  TppMemoCacheRecord R{};
  if (ReadRecord(Page, R)) TakeMemoRecord(R);
}

// ---- TppMemo

TppMemo::TppMemo(TComponent* AOwner) : TppCustomMemo(AOwner) { SetDefaultProp("Caption", 0); }

TppMemo::~TppMemo() { BeforeDestruction(); }

void TppMemo::SetLines(const TStrings* Value) {
  PropertyChanging("Lines");
  TppCustomMemo::SetLines(Value);
  PropertyChanged();
  InvalidateLayout();
}

// ---- TppDBMemo

TppDBMemo::TppDBMemo(TComponent* AOwner) : TppCustomMemo(AOwner) { SetCacheRecordSize(sizeof(TppDBMemoCacheRecord)); }

TppDBMemo::~TppDBMemo() { BeforeDestruction(); }

bool TppDBMemo::ScriptListens() const {
  for (int I = 0; I < GetEventNotifyCount(); ++I)
    if (GetEventNotifyItem(I)->EventMask().Contains(ciDBMemoGetMemo)) return true;
  return false;
}

void TppDBMemo::RefreshLines() {
  const bool Listened = ScriptListens();
  if (FAutoDisplay || OnGetMemo || Listened) {
    TStringList& Lines = LinesList();
    Lines.Clear();
    if (OnGetMemo || Listened) {
      if (ppReportGenerating(GetReport())) {
        if (OnGetMemo) OnGetMemo(this, &Lines);
        SendObjectEvent(ciDBMemoGetMemo, "aLines", TStrings::StaticClassInfo(), &Lines);
      }
    } else if (IsDataAvailable()) {
      Lines.SetText(GetDataPipeline()->GetFieldAsString(DataField()));
    }
  }
  TppCustomMemo::RefreshLines();
}

void TppDBMemo::SetDataField(const std::string& Value) {
  TppCustomMemo::SetDataField(Value);
  RefreshLines();
  PropertyChanged();
}

void TppDBMemo::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCustomMemo::Notify(Partner, Operation);
  if (HasState(csDestroying)) return;
  if ((Operation == ppopRemove || Operation == ppopDataChange) && Designing() && !ppReportGenerating(GetReport()))
    RefreshLines();
}

void TppDBMemo::SetSuppressRepeatedValues(bool Value) {
  if (Value == FSuppressRepeatedValues) return;
  FSuppressRepeatedValues = Value;
  for (int Id : {int(ciEngineTraversal), int(ciReportStartPage)})
    if (Value)
      EventMask().Include(Id);
    else
      EventMask().Exclude(Id);
  InvalidateLayout();
  PropertyChanged();
}

void TppDBMemo::ClearSuppression() {
  FAlreadyPrinted = FPriorValueSame = FPriorValuePending = false;
  FPriorValue.clear();
}

void TppDBMemo::Init() {
  TppCustomMemo::Init();
  ClearSuppression();
  if (!FSuppressRepeatedValues) return;
  if (TppCustomReport* R = GetReport()) {
    R->AddEventNotify(this);
    if (TppCustomEngine* E = R->Engine()) E->AddEventNotify(this);
  }
}

void TppDBMemo::Reset() {
  TppPrintable::Reset();
  ClearSuppression();
}

void TppDBMemo::RecordValue() {
  const std::string Text = GetText();
  // A prior value the page start could not take back counts as new: printed, never lost.
  if (ResetOnCompute() || FPriorValuePending || Text != FPriorValue) {
    FPriorValuePending = false;
    FPriorValue = Text;
    FPriorValueSame = false;
  } else {
    FPriorValueSame = true;
  }
}

void TppDBMemo::Compute() {
  RecordValue();
  SetResetOnCompute(false);
}

void TppDBMemo::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCustomMemo::EventNotify(Sender, EventID, Params);
  if (EventID == ciEngineTraversal) Compute();
  // The pipelines stand on the record the page before ended with: its text is the prior value.
  if (EventID == ciReportStartPage && FPriorValuePending) {
    FPriorValue = GetText();
    FPriorValuePending = false;
  }
}

void TppDBMemo::GenerateContent() {
  if (!FSuppressRepeatedValues) {
    TppCustomMemo::GenerateContent();
    return;
  }
  // A memo going on over pages prints its rest; a repeat is never printed again on a new page.
  bool Print = OverFlow();
  if (!Print && !FPriorValueSame) {
    Print = true;
    FAlreadyPrinted = false;
  } else if (!Print) {
    TppDataPipeline* P = GetDataPipeline();
    Print = P && P->FirstRecord() && !FAlreadyPrinted;
  }
  if (Print) {
    FAlreadyPrinted = true;
  } else {
    SetSpaceUsed(0);
    SetDrawComponent(false);
  }
  if (!OverFlow()) RecordValue();
  if (Print) TppCustomMemo::GenerateContent();
}

void TppDBMemo::SaveToCache(int Page) {
  TppDBMemoCacheRecord R{};
  FillMemoRecord(R.Memo);
  R.Memo.Stretchable.Reserved2[0] = FAlreadyPrinted;
  R.PriorValueSame = FPriorValueSame;
  R.ResetOnCompute = ResetOnCompute();
  WriteRecord(Page, R);
}

void TppDBMemo::RestoreFromCache(int Page) {
  TppDBMemoCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  TakeMemoRecord(R.Memo);
  FAlreadyPrinted = R.Memo.Stretchable.Reserved2[0] != 0;
  FPriorValueSame = R.PriorValueSame != 0;
  SetResetOnCompute(R.ResetOnCompute != 0);
  // The pipelines are put back only after the page state: the text is read at the page start.
  FPriorValuePending = true;
}

// ---- class records and start-up

const TClassInfo& TppCustomMemo::StaticClassInfo() {
  using C = TppCustomMemo;
  static const TClassInfo Info = TClassDef<C>("TppCustomMemo", &TppStretchable::StaticClassInfo());
  return Info;
}

namespace {
// What both memos publish beyond the stretchable's.
template <class C>
TClassDef<C>& PublishMemo(TClassDef<C>& D) {
  return D.Prop("CharWrap", &C::CharWrap, &C::SetCharWrap)
      .Prop("Color", &C::Color, &C::SetColor)
      .Default(clWhite)
      .Prop("Font", &C::Font, &C::SetFont)
      .Prop("ForceJustifyLastLine", &C::ForceJustifyLastLine, &C::SetForceJustifyLastLine)
      .Default(0)
      .Prop("Leading", &C::GetLeading, &C::SetLeading)
      .Stored(false)
      .Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow)
      .Default(0)
      .Prop("TabStopPositions", [](const C& M) { return const_cast<C&>(M).GetTabStopPositions(); },
            &C::SetTabStopPositions)
      .Prop("TextAlignment", &C::TextAlignment, &C::SetTextAlignment)
      .Default(taLeftJustified)
      .Prop("Transparent", &C::Transparent, &C::SetTransparent)
      .Default(0)
      .Prop("Visible", &C::Visible, &C::SetVisible)
      .Default(1)
      .Prop("Left", &C::GetLeft, &C::SetLeft)
      .Stored(false)
      .Prop("Top", &C::GetTop, &C::SetTop)
      .Stored(false)
      .Prop("Width", &C::GetWidth, &C::SetWidth)
      .Stored(false)
      .Prop("Height", &C::GetHeight, &C::SetHeight)
      .Stored(false);
}
}  // namespace

const TClassInfo& TppMemo::StaticClassInfo() {
  using C = TppMemo;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppMemo", &TppCustomMemo::StaticClassInfo());
    D.Prop("Caption", &C::Caption, &C::SetCaption);
    D.Prop("Lines", [](const C& M) { return const_cast<C&>(M).GetLines(); }, &C::SetLines);
    PublishMemo(D);
    return TClassInfo(D);
  }();
  return Info;
}

const TClassInfo& TppDBMemo::StaticClassInfo() {
  using C = TppDBMemo;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppDBMemo", &TppCustomMemo::StaticClassInfo());
    D.Prop("AutoDisplay", &C::AutoDisplay, &C::SetAutoDisplay).Default(1);
    D.Prop("DataField", &C::DataField, &C::SetDataField);
    D.Prop("DataPipeline", &C::GetDataPipeline, &C::SetDataPipeline);
    D.Prop("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(1);
    D.Prop("SuppressRepeatedValues", &C::SuppressRepeatedValues, &C::SetSuppressRepeatedValues).Default(0);
    PublishMemo(D);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeMemoUnit() { RegisterPPClasses({&TppMemo::StaticClassInfo(), &TppDBMemo::StaticClassInfo()}); }

void FinalizeMemoUnit() { UnregisterPPClasses({&TppMemo::StaticClassInfo(), &TppDBMemo::StaticClassInfo()}); }
