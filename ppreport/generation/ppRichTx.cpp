#include "ppreport/generation/ppRichTx.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/classes/SafeFileStream.h"
#include "platform/classes/StringList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"
#include "platform/richtext/RichTextLock.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppCompUtils.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {
std::string ModuleText(int N, const char* Ours) {
  if (ppResourceManager().ModulesLoaded()) {
    std::string Text = LanguageString(N);
    if (!Text.empty()) return Text;
  }
  return Ours;
}

// Conversions at the resolution of the device text is measured on.
class TDcResolution : public IppPrinterResolution {
public:
  explicit TDcResolution(const TDeviceContext& Dc)
      : FPpi{Dc.PixelsPerInchX() > 0 ? Dc.PixelsPerInchX() : ScreenPixelsPerInch(),
             Dc.PixelsPerInchY() > 0 ? Dc.PixelsPerInchY() : ScreenPixelsPerInch()} {}
  TPoint GetPixelsPerInch() const override { return FPpi; }
  int ToPixels(int32_t Microns, int Axis) const {
    return static_cast<int>(Trunc(ConvertFromMicrons(Microns, utPrinterPixels, Axis, this)));
  }
  // Rounded up, so that the pixels come back whole when a device truncates the length again.
  int32_t ToMicrons(int Pixels, int Axis) const {
    const double PerInch = Axis == ppVertical ? FPpi.Y : FPpi.X;
    const double Microns = std::ceil(Pixels / PerInch / static_cast<double>(ppInchesPerMillimetre) * 1000.0);
    return static_cast<int32_t>(std::clamp(Microns + 1, 0.0, 2.0e9));
  }

private:
  TPoint FPpi;
};

std::string ToUtf8(const std::u16string& S) { return Utf16ToUtf8(S); }

// Letter case folded as the platform's upper case does, for names of fields and aliases.
bool SameName(const std::string& A, const std::string& B) { return AnsiSameText(A, B); }

int IndexOfName(const TStrings& List, const std::string& Name) {
  for (int I = 0; I < List.Count(); ++I)
    if (SameName(List.Get(I), Name)) return I;
  return -1;
}

// Field names and their aliases (parallel lists).
void FieldLists(TppDataPipeline& P, TStringList& Names, TStringList& Aliases) {
  P.GetFieldNames(Names);
  for (int I = 0; I < Names.Count(); ++I) Aliases.Add(P.GetFieldAlias(Names.Get(I)));
}

// The field a tag names (by name or alias), or empty.
std::string ResolveField(TppDataPipeline& P, const std::string& Name) {
  TStringList Names, Aliases;
  FieldLists(P, Names, Aliases);
  int I = IndexOfName(Names, Name);
  if (I < 0) I = IndexOfName(Aliases, Name);
  return I < 0 ? std::string() : Names.Get(I);
}
}  // namespace

// ---- TppCustomRichText

TppCustomRichText::TppCustomRichText(TComponent* AOwner)
    : TppStretchable(AOwner),
      FRichEdit(CreateRichEdit()),
      FSelAttributes(std::make_unique<TTextAttributes>(*FRichEdit)),
      FParagraph(std::make_unique<TParaAttributes>(*FRichEdit)) {
  SetCacheRecordSize(sizeof(TppRichTextCacheRecord));
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawRichText(nullptr); });
  SetWordWrap(true);
}

TppCustomRichText::~TppCustomRichText() { BeforeDestruction(); }

void TppCustomRichText::ContentChanged() {
  InvalidateDesignControl();
  PropertyChanged();
  InvalidateLayout();
}

std::string TppCustomRichText::GetRichText() {
  TMemoryStream* S = GetRichTextStream();
  if (FRichEdit->Length() == 0 || !S) return {};
  return std::string(reinterpret_cast<const char*>(S->Memory()), static_cast<size_t>(S->Size()));
}

void TppCustomRichText::SetRichText(const std::string& Text) {
  const size_t End = std::min(Text.find('\0'), Text.size());
  FRichTextStream.Clear();
  if (End > 0) FRichTextStream.Write(Text.data(), static_cast<int64_t>(End));
  FRichTextStream.Seek(0, soBeginning);
  LoadFromRTFStream(FRichTextStream);
}

TMemoryStream* TppCustomRichText::GetRichTextStream() { return &FRichTextStream; }

void TppCustomRichText::SetRichTextStrings(const TStrings* Strings) {
  if (IsReadingOrLoading()) return;
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  FRichEdit->Document().SetPlainText(Utf8ToUtf16(Strings ? Strings->Text() : std::string()));
  RefreshRichText();
}

void TppCustomRichText::LoadFromRTFStream(TStream& Stream) {
  // While the report generates, a data rich text loads every record's text: no design notices, and
  // above all no layout reset of the running engine.
  const bool Generating = ppReportGenerating(GetReport());
  if (!Generating) PropertyChanging("RichText");
  const int64_t Size = Stream.Size();
  if (GetMaxLength() > 0 && GetMaxLength() < Size) SetMaxLength(static_cast<int>(std::min<int64_t>(Size, INT32_MAX)));
  FRichEdit->LoadFromStream(Stream);
  if (!Generating) ContentChanged();
}

void TppCustomRichText::SaveToRTFStream(TStream& Stream) { FRichEdit->SaveToStream(Stream); }

void TppCustomRichText::LoadFromFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  F.Seek(0, soBeginning);
  LoadFromRTFStream(F);
}

void TppCustomRichText::SaveToFile(const std::string& FileName) {
  // Put in place only once written whole: a failed save leaves an earlier file as it was.
  TSafeFileStream F(FileName);
  SaveToRTFStream(F);
  F.Commit();
}

int TppCustomRichText::FindText(const std::string& SearchStr, int StartPos, int Length, bool WholeWord,
                                bool MatchCase) {
  TSearchTypes Options = 0;
  if (WholeWord) Options |= stWholeWord;
  if (MatchCase) Options |= stMatchCase;
  return FRichEdit->FindText(Utf8ToUtf16(SearchStr), StartPos, Length, Options);
}

void TppCustomRichText::SelectAll() { FRichEdit->SelectAll(); }
int TppCustomRichText::GetSelStart() const { return FRichEdit->SelStart(); }
void TppCustomRichText::SetSelStart(int Value) { FRichEdit->SetSelStart(Value); }
int TppCustomRichText::GetSelLength() const { return FRichEdit->SelLength(); }
void TppCustomRichText::SetSelLength(int Value) { FRichEdit->SetSelLength(Value); }
std::string TppCustomRichText::GetSelText() const { return ToUtf8(FRichEdit->SelText()); }
void TppCustomRichText::SetSelText(const std::string& Value) { FRichEdit->SetSelText(Utf8ToUtf16(Value)); }

TStrings* TppCustomRichText::GetRichTextStrings() {
  std::string Text = ToUtf8(FRichEdit->Text());
  // Paragraph marks end lines; a line break inside a paragraph stays in its line.
  std::replace(Text.begin(), Text.end(), '\v', '\n');
  FRichTextStrings.Clear();
  size_t Start = 0;
  for (size_t At; (At = Text.find('\r', Start)) != std::string::npos; Start = At + 1)
    FRichTextStrings.Add(Text.substr(Start, At - Start));
  FRichTextStrings.Add(Text.substr(Start));
  return &FRichTextStrings;
}
int TppCustomRichText::GetMaxLength() const { return FRichEdit->MaxLength(); }
void TppCustomRichText::SetMaxLength(int Value) { FRichEdit->SetMaxLength(Value); }

std::string TppCustomRichText::GetPlainText() {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  FRichEdit->SelectAll();
  return ToUtf8(FRichEdit->SelText());
}

TppRichEdit& TppCustomRichText::GetActiveRichEdit() {
  if (!FMailMerge) return *FRichEdit;
  // Merged values may make the copy longer than the content: no length limit cuts them.
  if (!FMergeEdit) FMergeEdit = CreateRichEdit();
  return *FMergeEdit;
}

void TppCustomRichText::SetMailMerge(bool Value) {
  FMailMerge = Value;
  InvalidateLayout();
}

void TppCustomRichText::PerformMailMerge() {
  if (!FMailMerge) return;
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  TppRichEdit& Merge = GetActiveRichEdit();
  Merge.Document() = FRichEdit->Document();
  Merge.SetSelStart(0);
}

// ---- mail merge

void TppCustomRichText::MergeFields() {
  if (!FMailMerge) return;
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  TppRichEdit& Edit = GetActiveRichEdit();
  TppCustomReport* Report = GetReport();
  if (TppDataPipeline* P = Report ? Report->DataPipeline() : nullptr) {
    TStringList Names, Aliases;
    FieldLists(*P, Names, Aliases);
    int Pos = 0;
    for (;;) {
      const int A = Edit.FindText(u"<", Pos, -1, 0), B = Edit.FindText(u">", Pos, -1, 0);
      if (A >= 0 && B >= 0 && A < B) {
        Edit.Select(A, B - A + 1);
        const std::u16string Tag = Edit.SelText();
        const std::string Name = ToUtf8(Tag.substr(1, Tag.size() - 2));
        int I = IndexOfName(Names, Name);
        if (I < 0) I = IndexOfName(Aliases, Name);
        if (I >= 0) {
          Edit.SetSelText(Utf8ToUtf16(P->GetFieldAsString(Names.Get(I))));
          // A value holding a tag is not merged again: the search goes on after it.
          Pos = Edit.SelStart();
          continue;
        }
      }
      if (A >= 0 && B >= 0)
        Pos = A < B ? A + 1 : B + 1;
      else if (B >= 0)
        Pos = B + 1;
      else if (A >= 0)
        Pos = A + 1;
      else
        break;
    }
  }
  MergeDBTextTags();
}

void TppCustomRichText::MergeDBTextTags() {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  TppRichEdit& Edit = GetActiveRichEdit();
  constexpr int CloseLength = 9;  // "</DBTEXT>"
  int Pos = 0;
  for (;;) {
    const int S = Edit.FindText(u"<DBTEXT", Pos, -1, 0), E = Edit.FindText(u"</DBTEXT>", Pos, -1, 0);
    if (S < 0 || E < 0) break;
    if (E < S) {
      // A closing tag before any opening one closes nothing: it stays, and the search goes on after it.
      Pos = E + CloseLength;
      continue;
    }
    Edit.Select(S, E - S + CloseLength);
    TppMergeInfo Info;
    ParseMergeTag(ToUtf8(Edit.SelText()), Info);
    const std::string Value = GetMergeValue(Info);
    Edit.SetSelText(Utf8ToUtf16(Value));
    Pos = Edit.SelStart();
  }
}

int TppCustomRichText::FindCharFrom(char C, const std::string& S, int From) {
  const size_t Start = From <= 1 ? 0 : static_cast<size_t>(From - 1);
  if (Start >= S.size()) return 0;
  const size_t At = S.find(C, Start);
  return At == std::string::npos ? 0 : static_cast<int>(At) + 1;
}

void TppCustomRichText::ParseMergeTag(const std::string& Tag, TppMergeInfo& Info) {
  // Keywords in any letter case; values as written. ASCII upper case keeps every position.
  std::string U = Tag;
  std::transform(U.begin(), U.end(), U.begin(), [](char Ch) { return Ch >= 'a' && Ch <= 'z' ? Ch - 32 : Ch; });
  const auto Quoted = [&](const char* Keyword) -> std::string {
    const size_t K = U.find(Keyword);
    if (K == std::string::npos) return {};
    const int Q1 = FindCharFrom('\'', U, static_cast<int>(K) + 1);
    const int Q2 = Q1 > 0 ? FindCharFrom('\'', U, Q1 + 1) : 0;
    if (Q1 == 0 || Q2 == 0) return {};
    return Tag.substr(static_cast<size_t>(Q1), static_cast<size_t>(Q2 - Q1 - 1));
  };
  Info.SetDataPipeline(Quoted("DATAPIPELINE"));
  Info.SetDisplayFormat(Quoted("DISPLAYFORMAT"));
  const int R = FindCharFrom('>', U, 1);
  const int L = R > 0 ? FindCharFrom('<', U, R + 1) : 0;
  Info.SetFieldName(R > 0 && L > R ? Tag.substr(static_cast<size_t>(R), static_cast<size_t>(L - R - 1)) : std::string());
}

std::string TppCustomRichText::GetMergeValue(const TppMergeInfo& Info) {
  TppCustomReport* Report = GetReport();
  TppDataPipeline* P = Report ? Report->DataPipeline() : nullptr;
  if (Report && !Info.DataPipeline().empty()) {
    TppDataPipelineList List(Report);
    for (int I = 0; I < List.Count(); ++I)
      if (TppDataPipeline* Each = List.GetDataPipeline(I); Each && Each->Name() == Info.DataPipeline()) P = Each;
  }
  if (!P) return {};
  const std::string Name = ResolveField(*P, Info.FieldName());
  if (Name.empty()) return {};
  const Variant V = P->GetFieldValue(Name);
  if (!Info.DisplayFormat().empty()) return FormatDisplayValue(Info.DisplayFormat(), P->GetFieldDataType(Name), V);
  return V.IsNull() ? std::string() : VarToStr(V);
}

// ---- generation

void TppCustomRichText::Init() {
  TppStretchable::Init();
  FStartCharPos = FEndCharPos = -1;
  FStalled = false;
  FDrawHeight = 0;
}

bool TppCustomRichText::RoomIsWholePage() const {
  if (FStalled) return true;
  // Placed below the band's top: a page where the text goes on gives more room.
  if (!OverFlow() && mmTop() > 0) return false;
  if (const TppStretchable* R = ShiftRelativeTo()) {
    int64_t Above = 0;
    for (; R; R = R->ShiftRelativeTo()) Above += R->SpaceUsed();
    return Above == 0;
  }
  TppCustomBand* B = GenerationBand();
  if (!B) return true;
  TppCustomEngine* E = B->Engine();
  return !(E && E->GetPageStarted()) && B->GetSpaceUsed() <= 0;
}

void TppCustomRichText::GenerateContent() {
  GetRichText();
  PerformMailMerge();
  MergeFields();
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  TppRichEdit& Edit = GetActiveRichEdit();
  FDrawHeight = 0;
  if (!IsContainerDynamic() || !Stretch()) {
    // Fixed: the whole content in the component's height.
    FStartCharPos = 0;
    FEndCharPos = Edit.Length() - 1;
    SetSpaceUsed(std::max(0, std::min(PrintRect().Height(), mmHeight())));
    SetOverFlow(false);
    return;
  }
  const int Start = OverFlow() ? FEndCharPos + 1 : 0;
  TppPrinter* Printer = GetPrinter();
  TDeviceContext* Dc = nullptr;
  try {
    if (Printer) Dc = Printer->GetDC();
  } catch (const Exception&) {
    Dc = nullptr;
  }
  TBitmap ScreenBitmap(1, 1);
  std::unique_ptr<TDeviceContext> ScreenDc;
  if (!Dc) {
    ScreenDc = CreateBitmapDC(ScreenBitmap, ScreenPixelsPerInch(), ScreenPixelsPerInch());
    Dc = ScreenDc.get();
  }
  const TDcResolution Res(*Dc);
  const TRect PageRect = PrintRect();
  const TRect Rect{Res.ToPixels(PageRect.Left, ppHorizontal), Res.ToPixels(PageRect.Top, ppVertical),
                   Res.ToPixels(PageRect.Right, ppHorizontal), Res.ToPixels(PageRect.Bottom, ppVertical)};
  const bool Keep = KeepTogetherApplies();
  const TppRichTextPageFit Fit = ppFitRichTextPage(Edit, *Dc, Rect, Start, RoomIsWholePage(), Keep);
  if (Fit.EndCharPos >= 0) {
    FStartCharPos = Fit.StartCharPos;
    FEndCharPos = Fit.EndCharPos;
    const int32_t Used = Res.ToMicrons(Fit.Height, ppVertical);
    const int32_t Room = std::max(PageRect.Height(), 0);
    SetSpaceUsed(std::min(Used, Room));
    // A first line taller than a whole page is drawn whole, past the page's room.
    if (Used > Room) FDrawHeight = Used;
    FStalled = false;
    SetOverFlow(Fit.NextStart >= 0);
    if (!OverFlow()) SetKeptTogether(false);
    return;
  }
  if (Fit.NextStart < 0) {
    // Nothing (left) to print.
    FStartCharPos = FEndCharPos = -1;
    SetSpaceUsed(0);
    SetOverFlow(false);
    SetKeptTogether(false);
    FStalled = false;
    return;
  }
  // Nothing printed here: the text waits for the next page, which starts at EndCharPos + 1.
  FStartCharPos = -1;
  FEndCharPos = Fit.NextStart - 1;
  SetSpaceUsed(0);
  SetOverFlow(true);
  SetKeptTogether(Fit.KeptTogether);
  // Moved for want of room: the next page prints what fits, whatever is above it there.
  FStalled = !Fit.KeptTogether;
}

void TppCustomRichText::CreateDrawCommand(TppPage* Page) {
  // A page that prints nothing of the text gets no command.
  if (FStartCharPos < 0 && IsContainerDynamic() && Stretch()) return;
  TppStretchable::CreateDrawCommand(Page);
}

void TppCustomRichText::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppStretchable::PropertiesToDrawCommand(DrawCommand);
  auto* D = dynamic_cast<TppDrawRichText*>(DrawCommand);
  if (!D) return;
  const TRect R = PrintRect();
  D->SetColor(Color());
  D->SetLeft(R.Left);
  D->SetTop(R.Top);
  D->SetHeight(std::max(R.Height(), FDrawHeight));
  D->SetWidth(R.Width());
  D->SetStartCharPos(FStartCharPos);
  D->SetEndCharPos(FEndCharPos);
  D->SetTransparent(Transparent());
  const std::string Bytes = GetActiveRichEdit().SaveToBytes();
  D->RichTextStream().Clear();
  if (!Bytes.empty()) D->RichTextStream().Write(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

void TppCustomRichText::SaveToCache(int Page) {
  TppStretchableCacheRecord S{};
  FillStretchableRecord(S);
  TppRichTextCacheRecord R{};
  R.DrawComponent = S.DrawComponent;
  R.ShiftersActive = S.ShiftersActive;
  R.KeptTogether = KeptTogether();
  R.OverFlow = S.OverFlow;
  R.ShifterIndex = S.ShifterIndex;
  R.PartialGeneration = S.PartialGeneration;
  R.Stalled = FStalled;
  R.StartCharPos = FStartCharPos;
  R.EndCharPos = FEndCharPos;
  WriteRecord(Page, R);
}

void TppCustomRichText::RestoreFromCache(int Page) {
  TppRichTextCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  TppStretchableCacheRecord S{};
  S.DrawComponent = R.DrawComponent;
  S.ShiftersActive = R.ShiftersActive;
  S.ShifterIndex = R.ShifterIndex;
  S.OverFlow = R.OverFlow;
  S.PartialGeneration = R.PartialGeneration;
  TakeStretchableRecord(S);
  SetKeptTogether(R.KeptTogether != 0);
  FStalled = R.Stalled != 0;
  FStartCharPos = R.StartCharPos;
  FEndCharPos = std::max(R.EndCharPos, -1);
}

// ---- TppRichText

TppRichText::TppRichText(TComponent* AOwner) : TppCustomRichText(AOwner) { SetDefaultProp("Caption", 0); }

TppRichText::~TppRichText() { BeforeDestruction(); }

void TppRichText::RefreshRichText() {
  TMemoryStream& S = RichTextStreamStorage();
  S.Clear();
  RichEdit().SaveToStream(S);
  S.Seek(0, soBeginning);
  InvalidateDesignControl();
}

TMemoryStream* TppRichText::GetRichTextStream() {
  RefreshRichText();
  return TppCustomRichText::GetRichTextStream();
}

void TppRichText::SetRichTextStrings(const TStrings* Strings) {
  if (IsReadingOrLoading()) return;
  PropertyChanging("RichText");
  TppCustomRichText::SetRichTextStrings(Strings);
  InvalidateLayout();
  PropertyChanged();
}

void TppRichText::SetMailMerge(bool Value) {
  if (Value == MailMerge()) return;
  PropertyChanging("MailMerge");
  TppCustomRichText::SetMailMerge(Value);
  PropertyChanged();
}

// ---- TppDBRichText

TppDBRichText::TppDBRichText(TComponent* AOwner) : TppCustomRichText(AOwner) {}

TppDBRichText::~TppDBRichText() { BeforeDestruction(); }

TMemoryStream* TppDBRichText::GetRichTextStream() {
  if (OnGetRichText) {
    std::string Text;
    OnGetRichText(this, Text);
    SetRichText(Text);
  } else if (IsEventRequested(ciTextGetText)) {
    std::string Text;
    TraParamList Params;
    Params.AddParam("Text", vkString, nullptr, {}, false, true);
    Params.BindParam(0, &Text);
    SendEventNotify(this, ciTextGetText, &Params);
    if (!Text.empty())
      SetRichText(Text);
    else
      RefreshRichText();
  } else {
    RefreshRichText();
  }
  return TppCustomRichText::GetRichTextStream();
}

void TppDBRichText::RefreshRichText() {
  if (FAutoDisplay && IsDataAvailable()) {
    std::string Text;
    bool Read = true;
    try {
      Text = GetDataPipeline()->GetFieldAsString(DataField());
    } catch (const std::exception&) {
      Read = false;
    }
    SetRichText(Read ? Text : ModuleText(414, SppRichTextFieldUnreadable));
  }
  InvalidateDesignControl();
}

void TppDBRichText::SetAutoDisplay(bool Value) {
  FAutoDisplay = Value;
  if (Value) {
    RefreshRichText();
  } else {
    RichTextStreamStorage().Clear();
    std::lock_guard<TCriticalSection> Lock(RichTextLock());
    RichEdit().Document().Clear();
  }
  InvalidateDesignControl();
}

void TppDBRichText::SetDataField(const std::string& Value) {
  TppCustomRichText::SetDataField(Value);
  RefreshRichText();
  PropertyChanged();
}

void TppDBRichText::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCustomRichText::Notify(Partner, Operation);
  if (HasState(csDestroying)) return;
  if ((Operation == ppopRemove || Operation == ppopDataChange) && Designing() && !IsReportPrinting())
    RefreshRichText();
}

// ---- class records and start-up

const TClassInfo& TppCustomRichText::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppCustomRichText>("TppCustomRichText", &TppStretchable::StaticClassInfo());
  return Info;
}

namespace {
// What both components publish beyond the stretchable's.
template <class C>
TClassDef<C>& PublishRichText(TClassDef<C>& D) {
  return D.template SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors)
      .Default(ppAnchorLeft | ppAnchorTop)
      .Prop("Border", &C::Border, &C::SetBorder)
      .Prop("BottomOffset", &C::GetBottomOffset, &C::SetBottomOffset)
      .Stored(false)
      .Prop("Color", &C::Color, &C::SetColor)
      .Default(clWhite)
      .Prop("Height", &C::GetHeight, &C::SetHeight)
      .Stored(false)
      .Prop("Left", &C::GetLeft, &C::SetLeft)
      .Stored(false)
      .Event("OnDrawCommandClick", &C::OnDrawCommandClick)
      .Event("OnDrawCommandCreate", &C::OnDrawCommandCreate)
      .Event("OnPrint", &C::OnPrint)
      .Prop("OverFlowOffset", &C::GetOverFlowOffset, &C::SetOverFlowOffset)
      .Stored(false)
      .Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow)
      .Default(0)
      .Prop("Top", &C::GetTop, &C::SetTop)
      .Stored(false)
      .Prop("Transparent", &C::Transparent, &C::SetTransparent)
      .Default(0)
      .Prop("Visible", &C::Visible, &C::SetVisible)
      .Default(1)
      .Prop("Width", &C::GetWidth, &C::SetWidth)
      .Stored(false);
}
}  // namespace

const TClassInfo& TppRichText::StaticClassInfo() {
  using C = TppRichText;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppRichText", &TppCustomRichText::StaticClassInfo());
    D.Prop("Caption", &C::Caption, &C::SetCaption);
    D.Prop("MailMerge", &C::MailMerge, &C::SetMailMerge).Default(0);
    D.Prop("RichText", [](const C& T) { return const_cast<C&>(T).GetRichText(); }, &C::SetRichText);
    PublishRichText(D);
    return TClassInfo(D);
  }();
  return Info;
}

const TClassInfo& TppDBRichText::StaticClassInfo() {
  using C = TppDBRichText;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppDBRichText", &TppCustomRichText::StaticClassInfo());
    D.Prop("AutoDisplay", &C::AutoDisplay, &C::SetAutoDisplay).Default(1);
    D.Prop("DataField", &C::DataField, &C::SetDataField);
    D.Prop("DataPipeline", &C::GetDataPipeline, &C::SetDataPipeline);
    D.Prop("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(1);
    D.Event("OnGetRichText", &C::OnGetRichText);
    PublishRichText(D);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeRichTextUnit() {
  RegisterPPClasses({&TppRichText::StaticClassInfo(), &TppDBRichText::StaticClassInfo()});
}

void FinalizeRichTextUnit() {
  UnregisterPPClasses({&TppRichText::StaticClassInfo(), &TppDBRichText::StaticClassInfo()});
}
