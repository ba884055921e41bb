#include "ppreport/output/forms/ppPreview.h"

#include <charconv>
#include <optional>

#include "platform/classes/ScopeGuard.h"

#include "platform/app/Application.h"
#include "platform/graphics/Bitmap.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/forms/ppFormsConsts.h"
#include "ppreport/output/forms/ppIcons.h"
#include "ppreport/output/forms/ppTextSearchPreviewIcons.h"

const TClassInfo& TppEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppEdit>("TppEdit", &TEdit::StaticClassInfo());
  return Info;
}

const TClassInfo& TppCustomPreview::StaticClassInfo() {
  static const TClassInfo Info("TppCustomPreview", &TppCommunicator::StaticClassInfo(), nullptr);
  return Info;
}

const TClassInfo& TppPreview::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPreview>("TppPreview", &TppCustomPreview::StaticClassInfo());
  return Info;
}

// ---- TppPreviewPlugIn

namespace {
const TClassInfo* PreviewClass = nullptr;
const TClassInfo* PlugInClass = nullptr;
TppPreviewOutlineFactory& OutlineFactory() {
  static TppPreviewOutlineFactory F;
  return F;
}
bool PreviewCancelling = false;

// A new object of Class owned by Owner, when it is a T; null otherwise.
template <class T>
T* CreateOfClass(const TClassInfo& Class, TComponent* Owner) {
  if (!Class.Create) return nullptr;
  TPersistent* Made = Class.Create(Owner);
  if (auto* Result = dynamic_cast<T*>(Made)) return Result;
  delete Made;
  return nullptr;
}
}  // namespace

void TppPreviewPlugIn::RegisterPreviewClass(const TClassInfo& Class) { PreviewClass = &Class; }
void TppPreviewPlugIn::UnregisterPreviewClass() { PreviewClass = nullptr; }

TppCustomPreview* TppPreviewPlugIn::CreatePreview(TComponent* Owner) {
  if (PreviewClass)
    if (auto* P = CreateOfClass<TppCustomPreview>(*PreviewClass, Owner)) return P;
  return new TppPreview(Owner);
}

void TppPreviewPlugIn::RegisterPlugInClass(const TClassInfo& Class) { PlugInClass = &Class; }
void TppPreviewPlugIn::UnregisterPlugInClass() { PlugInClass = nullptr; }

TppCustomSearchPreview* TppPreviewPlugIn::CreatePlugIn(TppCustomPreview* Preview) {
  return PlugInClass ? CreateOfClass<TppCustomSearchPreview>(*PlugInClass, Preview) : nullptr;
}

void TppPreviewPlugIn::RegisterOutlineViewer(TppPreviewOutlineFactory Factory) { OutlineFactory() = std::move(Factory); }
void TppPreviewPlugIn::UnregisterOutlineViewer() { OutlineFactory() = nullptr; }

std::unique_ptr<IppPreviewOutline> TppPreviewPlugIn::CreateOutlineViewer(TppPreview& Preview, TWinControl* SidePanel,
                                                                         TppViewer* Viewer) {
  return OutlineFactory() ? OutlineFactory()(Preview, SidePanel, Viewer) : nullptr;
}

// ---- TppCustomPreview

TppCustomPreview::TppCustomPreview(TComponent* AOwner) : TppCommunicator(AOwner) {
  FParentControl = dynamic_cast<TWinControl*>(AOwner);
  FViewer = new TppViewer(FParentControl);
  FViewer->SetParent(FParentControl);
  FViewer->SetAlign(alClient);
  for (int E : {ciViewerPageChange, ciViewerPrintStateChange, ciViewerStatusChange, ciViewerReset,
                ciSearchToolbarVisibleChange, ciSearchStateChange, ciViewerMouseDown})
    EventMask().Include(E);
  FViewer->WalkieTalkie()->AddEventNotify(this);
}

TppCustomPreview::~TppCustomPreview() { BeforeDestruction(); }

void TppCustomPreview::Destroying() {
  if (FSearchPreview) {
    TppCustomSearchPreview* S = FSearchPreview;
    FSearchPreview = nullptr;
    S->Free();
  }
  TppCommunicator::Destroying();
}

bool TppCustomPreview::Cancelling() { return PreviewCancelling; }

void TppCustomPreview::SetStatusBar(TStatusBar* Bar) {
  FStatusBar = Bar;
  if (FSearchPreview) FSearchPreview->SetStatusBar(Bar);
}

TppCustomSearchPreview* TppCustomPreview::GetSearchPreview() {
  if (!FSearchPreview) {
    FSearchPreview = TppPreviewPlugIn::CreatePlugIn(this);
    if (FSearchPreview) FSearchPreview->AddEventNotify(this);
  }
  return FSearchPreview;
}

// The preview frees its plug-in itself. One freed from outside is forgotten: an error raised here
// would leave a free that cannot fail, which ends the program.
void TppCustomPreview::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCommunicator::Notify(Partner, Operation);
  if (Operation == ppopRemove && Partner && Partner == FSearchPreview) FSearchPreview = nullptr;
}

void TppCustomPreview::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCommunicator::EventNotify(Sender, EventID, Params);
  const bool FromViewer = Sender == FViewer->WalkieTalkie();
  const bool FromSearch = FSearchPreview && Sender == FSearchPreview;
  switch (EventID) {
    case ciViewerPageChange: if (FromViewer) PageChangeEvent(); break;
    case ciViewerPrintStateChange: if (FromViewer) PrintStateChangeEvent(); break;
    case ciViewerStatusChange: if (FromViewer) StatusChangeEvent(); break;
    case ciViewerReset: if (FromViewer) ResetEvent(); break;
    case ciViewerMouseDown: if (FromViewer) MouseDownEvent(); break;
    case ciSearchToolbarVisibleChange: if (FromSearch) SidePanelChanged(); break;
    case ciSearchStateChange: if (FromSearch) SearchStateChangeEvent(); break;
    default: break;
  }
}

void TppCustomPreview::PageChangeEvent() {
  if (OnPageChange) OnPageChange(this);
}

void TppCustomPreview::StatusChangeEvent() {
  if (FViewer->GetBusy() && FStatusBar && FStatusBar->Panels().Count() > 0)
    FStatusBar->Panels()[0]->SetText(FViewer->GetStatus());
  if (FSearchPreview) {
    FSearchPreview->StatusChange();
    return;
  }
  if (!FStatusBar) return;
  if (FStatusBar->SimplePanel()) throw ESearchError(SppStatusBarSimplePanel);
  if (FStatusBar->Panels().Count() == 0) FStatusBar->Panels().Add();
  if (FStatusBar->Panels().Count() == 1) FStatusBar->Panels().Add();
  FStatusBar->Panels()[0]->SetWidth(275);
  FStatusBar->Panels()[0]->SetAlignment(taLeftJustify);
}

void TppCustomPreview::ToggleSearchToolbar() {
  if (FSearchPreview) FSearchPreview->ToggleSearchPanel();
}

void TppCustomPreview::BeforePreview() {
  PreviewCancelling = false;
  FReport = FViewer->Report();
  FViewer->ScreenDevice()->SetActive(true);
  FViewer->CreateControls();
  if (FReport && FReport->TextSearchSettings()->Enabled()) GetSearchPreview();
  if (FSearchPreview) {
    FSearchPreview->SetViewer(FViewer);
    FSearchPreview->SetStatusBar(FStatusBar);
    if (FReport) FSearchPreview->TextSearchSettings()->Assign(FReport->TextSearchSettings());
  }
}

void TppCustomPreview::AfterPreview() {
  FViewer->ScreenDevice()->SetActive(false);
  if (FSearchPreview) FSearchPreview->AfterPreview();
  FReport = nullptr;
}

void TppCustomPreview::PerformTextSearch() {
  if (!FSearchPreview) return;
  if (FSearchPreview->SearchState() & ppSearchStateActive)
    FSearchPreview->CancelQuietly();
  else
    FSearchPreview->EnableSearch();
}

void TppCustomPreview::Cancel() {
  if (!FReport || !FReport->Printing()) return;
  FViewer->Cancel();
  PreviewCancelling = true;
}

void TppCustomPreview::LanguageChanged() {
  if (FSearchPreview) FSearchPreview->LanguageChanged();
}

void TppCustomPreview::PerformPreviewAction(int Action) {
  if (FSearchPreview) FSearchPreview->BeforePreviewAction(Action);
  switch (Action) {
    case paPrint: Print(); break;
    case paAutoSearch: FViewer->DisplayAutoSearchDialog(); break;
    case paTextSearch: ToggleSearchToolbar(); break;
    case paWholePage: SetZoomSetting(zsWholePage); break;
    case paPageWidth: SetZoomSetting(zsPageWidth); break;
    case pa100Percent: SetZoomSetting(zs100Percent); break;
    case paFirstPage: FViewer->FirstPage(); break;
    case paPriorPage: FViewer->PriorPage(); break;
    case paNextPage: FViewer->NextPage(); break;
    case paLastPage: FViewer->LastPage(); break;
    case paCancel: Cancel(); break;
    case paClose: if (OnClose) OnClose(this); break;
    default: break;
  }
  // The close may have freed the window and this preview with it: then nothing more is asked of
  // it (a window freed by its close handler is released later, never at once).
  if (FSearchPreview) FSearchPreview->AfterPreviewAction(Action);
}

void TppCustomPreview::Print() {
  if (!FReport) return;
  if (BeforePrint) BeforePrint(this);
  try {
    FViewer->Print();
  } catch (...) {
    if (AfterPrint) AfterPrint(this);
    throw;
  }
  if (AfterPrint) AfterPrint(this);
}

void TppCustomPreview::SetZoomSetting(TppZoomSettingType Value) { FViewer->SetZoomSetting(Value); }

void TppCustomPreview::SetZoomPercentage(int Value) {
  FViewer->SetZoomPercentage(Value);
  PageChangeEvent();
}

void TppCustomPreview::GotoPage(int PageNo) {
  if (FSearchPreview) FSearchPreview->BeforeGotoPage(PageNo);
  FViewer->GotoPage(PageNo);
}

void TppCustomPreview::KeyDown(uint16_t& Key, TShiftState Shift) {
  const bool Ctrl = (Shift & ssCtrl) != 0;
  switch (Key) {
    case VK_ESCAPE: if (!Ctrl) PerformPreviewAction(paClose); break;
    case VK_PRIOR: Ctrl ? FViewer->PriorPage() : FViewer->ScrollPage(0); break;
    case VK_NEXT: Ctrl ? FViewer->NextPage() : FViewer->ScrollPage(1); break;
    case VK_HOME: if (Ctrl) FViewer->FirstPage(); break;
    case VK_END: if (Ctrl) FViewer->LastPage(); break;
    case VK_UP: if (!Ctrl) FViewer->ScrollPage(0); break;
    case VK_DOWN: if (!Ctrl) FViewer->ScrollPage(1); break;
    case VK_LEFT: if (!Ctrl) FViewer->ScrollPage(2); break;
    case VK_RIGHT: if (!Ctrl) FViewer->ScrollPage(3); break;
    default: break;
  }
}

// ---- TppPreview

TppPreview::TppPreview(TComponent* AOwner) : TppCustomPreview(AOwner) {
  EventMask().Include(ciOutlineViewerVisibleChange);
  CreatePanels();
  CreateToolbar();
  CreateOutlineViewer();
  const int OutlineWidth = FOutlineViewer ? FOutlineViewer->Control()->Width() : SidePanel->Width();
  Splitter = new TSplitter(FParentControl);
  Splitter->SetParent(FParentControl);
  Splitter->SetLeft(OutlineWidth);
  Splitter->SetAlign(alLeft);
  Splitter->SetAutoSnap(false);
  Splitter->SetMinSize(OutlineWidth);
  FViewer->SetAlign(alClient);
  FViewer->CreateControls();
  FViewer->ScreenDevice()->SetActive(false);
  // Without an outline tree nothing else decides whether the side panel shows.
  if (!FOutlineViewer) SidePanelChanged();
}

TppPreview::~TppPreview() {
  BeforeDestruction();
  if (FOutlineViewer) FOutlineViewer->WalkieTalkie()->RemoveEventNotify(this);
  FOutlineViewer.reset();
}

void TppPreview::CreatePanels() {
  auto MakePanel = [this](TWinControl* Parent) {
    auto* P = new TPanel(FParentControl);
    if (Parent) P->SetParent(Parent);
    P->SetBevelOuter(bvNone);
    P->SetColor(clBtnFace);
    return P;
  };
  ToolbarPanel = MakePanel(FParentControl);
  ToolbarPanel->SetAlign(alTop);
  ToolbarPanel->SetHeight(26);
  ToolbarPanel->SetShowHint(true);
  ButtonPanel = MakePanel(ToolbarPanel);
  ButtonPanel->SetBounds(0, 0, 550, 26);
  SidePanel = MakePanel(FParentControl);
  SidePanel->SetAlign(alLeft);
  SidePanel->SetWidth(125);
  SidePanel->SetShowHint(true);
  SearchPanel = MakePanel(nullptr);
  SearchPanel->SetBevelInner(bvNone);
}

void TppPreview::CreateOutlineViewer() {
  FOutlineViewer = TppPreviewPlugIn::CreateOutlineViewer(*this, SidePanel, FViewer);
  if (!FOutlineViewer) return;
  TControl* C = FOutlineViewer->Control();
  C->SetColor(clBtnFace);
  C->SetAlign(alClient);
  FOutlineViewer->WalkieTalkie()->AddEventNotify(this);
  FOutlineViewer->SetVisibleState(false);
}

TSpeedButton* TppPreview::AddButton(int Left, int Action) {
  auto* B = new TSpeedButton(FParentControl);
  B->SetParent(ButtonPanel);
  B->SetFlat(true);
  B->SetBounds(Left, 2, 23, 22);
  B->SetTag(Action);
  B->OnClick = [this](TObject* S) { ToolButtonClick(S); };
  return B;
}

void TppPreview::CreateToolbar() {
  PrintButton = AddButton(2, paPrint);
  PrintButton->SetGlyph(TppMetaBitmap::CreateGlyph<TppPrinterIcon>());
  AutoSearchButton = AddButton(PrintButton->Left() + 2 * PrintButton->Width(), paAutoSearch);
  AutoSearchButton->SetGlyph(TppMetaBitmap::CreateGlyph<TppAutoSearchIcon>());
  AutoSearchButton->SetVisible(false);
  TextSearchButton = AddButton(77, paTextSearch);
  TextSearchButton->SetGlyph(TppMetaBitmap::CreateGlyph<TppTextSearchIcon>());
  TextSearchButton->SetNumGlyphs(2);
  TextSearchButton->SetLayout(blGlyphLeft);
  TextSearchButton->SetGroupIndex(2);
  TextSearchButton->SetAllowAllUp(true);
  TextSearchButton->SetHint(LanguageString(1054));
  WholePageButton = AddButton(AutoSearchButton->Left() + 3 * AutoSearchButton->Width(), paWholePage);
  WholePageButton->SetGlyph(TppMetaBitmap::CreateGlyph<TppZoomWholePageIcon>());
  WholePageButton->SetGroupIndex(1);
  WholePageButton->SetDown(true);
  PageWidthButton = AddButton(WholePageButton->Left() + WholePageButton->Width(), paPageWidth);
  PageWidthButton->SetGlyph(TppMetaBitmap::CreateGlyph<TppZoomPageWidthIcon>());
  PageWidthButton->SetGroupIndex(1);
  Zoom100Button = AddButton(PageWidthButton->Left() + PageWidthButton->Width(), pa100Percent);
  Zoom100Button->SetGlyph(TppMetaBitmap::CreateGlyph<TppZoom100PercentIcon>());
  Zoom100Button->SetGroupIndex(1);

  auto MakeEdit = [this](int Left, const char* Mask) {
    auto* E = new TMaskEdit(FParentControl);
    E->SetParent(ButtonPanel);
    E->SetBounds(Left, 2, 37, 21);
    E->SetEditMask(Mask);
    E->SetMaxLength(5);
    E->SetTabStop(false);
    E->OnKeyDown = [this](TObject* S, uint16_t& K, TShiftState Sh) { ToolbarKeyDown(S, K, Sh); };
    return E;
  };
  ZoomPercentEdit = MakeEdit(Zoom100Button->Left() + Zoom100Button->Width() + 5, "999\\ %;0; ");
  ZoomPercentEdit->OnKeyPress = [this](TObject* S, char& K) { ZoomPercentKeyPress(S, K); };

  auto DoubleGlyph = [](TSpeedButton* B, TPixelImage Glyph) {
    B->SetGlyph(Glyph);
    B->SetNumGlyphs(2);
  };
  FirstButton = AddButton(ZoomPercentEdit->Left() + ZoomPercentEdit->Width() + 23, paFirstPage);
  DoubleGlyph(FirstButton, TppMetaBitmap::CreateGlyph<TppFirstIcon>());
  PriorButton = AddButton(FirstButton->Left() + FirstButton->Width(), paPriorPage);
  DoubleGlyph(PriorButton, TppMetaBitmap::CreateGlyph<TppPriorIcon>());
  PageNoEdit = MakeEdit(PriorButton->Left() + PriorButton->Width() + 8, "99999;0; ");
  PageNoEdit->OnKeyPress = [this](TObject* S, char& K) { PageNoKeyPress(S, K); };
  NextButton = AddButton(PageNoEdit->Left() + PageNoEdit->Width() + 8, paNextPage);
  DoubleGlyph(NextButton, TppMetaBitmap::CreateGlyph<TppNextIcon>());
  LastButton = AddButton(NextButton->Left() + NextButton->Width(), paLastPage);
  DoubleGlyph(LastButton, TppMetaBitmap::CreateGlyph<TppLastIcon>());

  CancelButton = new TButton(FParentControl);
  CancelButton->SetParent(ButtonPanel);
  CancelButton->SetBounds(LastButton->Left() + 3 * LastButton->Width(), 0, 54, 25);
  CancelButton->SetCaption(LanguageString(5));
  CancelButton->SetTag(paCancel);
  CancelButton->SetTabStop(false);
  CancelButton->OnClick = [this](TObject* S) { ToolButtonClick(S); };

  KeyCatcher = new TppEdit(FParentControl);
  KeyCatcher->SetParent(FParentControl);
  KeyCatcher->SetBounds(0, 0, 0, 0);
  KeyCatcher->OnKeyDown = [this](TObject* S, uint16_t& K, TShiftState Sh) { ToolbarKeyDown(S, K, Sh); };
  KeyCatcher->OnKeyPress = [this](TObject* S, char& K) { EditKeyPress(S, K); };
  KeyCatcher->OnMouseWheel = [this](TObject* S, TShiftState Sh, int D, int X, int Y, bool& H) {
    MouseWheel(S, Sh, D, X, Y, H);
  };
}

void TppPreview::BeforePreview() {
  FBeforePreviewRunning = true;
  auto Done = TFinally([this] { FBeforePreviewRunning = false; });
  const bool HadSearch = FSearchPreview != nullptr;
  TppCustomPreview::BeforePreview();
  if (FSearchPreview) {
    if (!HadSearch) FSearchPreview->CreateControls(SearchPanel);
    LayoutSearchPanel();
    try {
      FSearchPreview->BeforePreview();
    } catch (const ESearchError&) {
      if (Application) Application->HandleException(this);
    }
  }
  for (TSpeedButton* B : {FirstButton, PriorButton, NextButton, LastButton}) B->SetEnabled(false);
  for (TSpeedButton* B : {WholePageButton, PageWidthButton, Zoom100Button}) B->SetEnabled(true);
  UpdateZoomButtons();
  PrintButton->SetEnabled(true);
  UpdateOptionalButtons();
  if (FOutlineViewer) FOutlineViewer->Clear();
  DecideOutline();
  StatusChangeEvent();
  // Keys go to the preview from the start, not to whichever toolbar control came first.
  FocusKeyboardSink();
}

void TppPreview::UpdateZoomButtons() {
  const TppZoomSettingType Z = FViewer->ZoomSetting();
  WholePageButton->SetDown(Z == zsWholePage);
  PageWidthButton->SetDown(Z == zsPageWidth);
  Zoom100Button->SetDown(Z == zs100Percent);
}

// Whether the report offers an outline, asked of its published properties.
void TppPreview::DecideOutline() {
  const TClassInfo* Class = FReport ? FReport->ClassInfo() : nullptr;
  auto Flag = [](const TPersistent* Object, const TPropInfo* P) {
    return Object && P && P->Kind == TPropKind::Boolean && P->GetOrd && P->GetOrd(Object) != 0;
  };
  std::optional<bool> Available;
  if (const TPropInfo* Settings = Class ? Class->FindProp("OutlineSettings") : nullptr) {
    const TPersistent* S = Settings->GetObj ? Settings->GetObj(FReport) : nullptr;
    Available = S && Flag(S, S->ClassInfo()->FindProp("Enabled")) && Flag(S, S->ClassInfo()->FindProp("Visible"));
  } else if (const TPropInfo* Exists = Class ? Class->FindProp("OutlineExists") : nullptr) {
    Available = Flag(FReport, Exists) && !Flag(FReport, Class->FindProp("SuppressOutline"));
  }
  if (!Available) {
    if (FOutlineViewer) FOutlineViewer->SetVisibleState(false);
    SidePanelChanged();
    return;
  }
  FOutlineAvailable = *Available;
  if (FOutlineViewer) {
    FOutlineViewer->SetVisibleState(FOutlineAvailable);
    if (FOutlineAvailable) FOutlineViewer->AttachPopupMenu();
  }
  SidePanelChanged();
}

void TppPreview::UpdateOptionalButtons() {
  if (!FReport) return;
  AutoSearchButton->SetVisible(FReport->ShowAutoSearchDialog());
  // Without a search plug-in the button would do nothing.
  TextSearchButton->SetVisible(FReport->TextSearchSettings()->Enabled() && FSearchPreview);
}

void TppPreview::DisableToolbar() {
  for (TControl* C : std::initializer_list<TControl*>{PrintButton, WholePageButton, PageWidthButton, Zoom100Button,
                                                      FirstButton, PriorButton, NextButton, LastButton, PageNoEdit,
                                                      TextSearchButton})
    C->SetEnabled(false);
}

void TppPreview::Cancel() {
  TppCustomPreview::Cancel();
  DisableToolbar();
}

void TppPreview::SetZoomSetting(TppZoomSettingType Value) {
  TppCustomPreview::SetZoomSetting(Value);
  ZoomPercentEdit->SetText(std::to_string(FViewer->GetCalculatedZoom()));
  if (FStatusBar) FocusKeyboardSink();
}

void TppPreview::ToolButtonClick(TObject* Sender) {
  auto* C = dynamic_cast<TComponent*>(Sender);
  if (!C) return;
  int Action = static_cast<int>(C->Tag());
  if (Action == paCancel && !FViewer->GetBusy() &&
      (!FSearchPreview || !(FSearchPreview->SearchState() & ppSearchStateSearching)))
    Action = paClose;
  PerformPreviewAction(Action);
  FocusKeyboardSink();
}

void TppPreview::ToolbarKeyDown(TObject*, uint16_t& Key, TShiftState Shift) { KeyDown(Key, Shift); }

void TppPreview::EditKeyPress(TObject* Sender, char& Key) {
  if (Sender == KeyCatcher && Key == '\r') Key = 0;
}

void TppPreview::MouseWheel(TObject*, TShiftState, int WheelDelta, int, int, bool&) {
  if (!FViewer->ScrollBox()) return;
  TControlScrollBar* Bar = FViewer->ScrollBox()->VertScrollBar();
  Bar->SetPosition(Bar->Position() - WheelDelta / 5);
}

// A text that is no page number (an empty edit) leaves the page shown and the edit as they are.
void TppPreview::PageNoKeyPress(TObject*, char& Key) {
  if (Key != '\r') return;
  const std::string Text = Trim(PageNoEdit->Text());
  int PageNo = 0;
  const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), PageNo);
  if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size()) return;
  GotoPage(PageNo);
  FocusKeyboardSink();
}

void TppPreview::ZoomPercentKeyPress(TObject*, char& Key) {
  if (Key != '\r') return;
  SetZoomPercentage(StrToIntDef(Trim(ZoomPercentEdit->Text()), 100));
  FocusKeyboardSink();
}

void TppPreview::FocusKeyboardSink() {
  try {
    KeyCatcher->SetFocus();
  } catch (const EInvalidOperation&) {
  }
}

void TppPreview::MouseDownEvent() { FocusKeyboardSink(); }
void TppPreview::SearchStateChangeEvent() { FocusKeyboardSink(); }

void TppPreview::ResetEvent() {
  if (FOutlineViewer) FOutlineViewer->Clear();
}

bool TppPreview::GetOutlineVisible() { return FOutlineViewer && FOutlineViewer->GetVisible(); }

void TppPreview::SetOutlineVisible(bool Value) {
  if (FOutlineViewer) FOutlineViewer->SetVisibleState(Value);
  SidePanelChanged();
}

void TppPreview::ToggleSearchToolbar() {
  TppCustomPreview::ToggleSearchToolbar();
  TextSearchButton->SetHint(LanguageString(TextSearchButton->Down() ? 1055 : 1054));
}

void TppPreview::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCustomPreview::EventNotify(Sender, EventID, Params);
  if (EventID == ciOutlineViewerVisibleChange && FOutlineViewer && Sender == FOutlineViewer->WalkieTalkie()) {
    FOutlineViewer->UpdateForPage(FViewer->GetCurrentPage());
    SidePanelChanged();
  }
}

void TppPreview::PageChangeEvent() {
  if (Cancelling()) return;
  PageNoEdit->SetText(std::to_string(FViewer->GetAbsolutePageNo()));
  ZoomPercentEdit->SetText(std::to_string(FViewer->GetCalculatedZoom()));
  UpdateZoomButtons();
  TppPage* Page = FViewer->GetCurrentPage();
  const bool First = Page && Page->FirstPage();
  const bool Last = Page && Page->LastPage();
  FirstButton->SetEnabled(!First);
  PriorButton->SetEnabled(!First);
  NextButton->SetEnabled(!Last);
  LastButton->SetEnabled(!Last);
  if (FOutlineViewer && Page) {
    if (!FOutlineViewer->GetVisible() && FOutlineAvailable && First && !FViewer->IsUpdating())
      FOutlineViewer->SetVisibleState(Page->GetOutlineDrawCommand() != nullptr);
    if (FOutlineViewer->GetVisible()) {
      FOutlineViewer->UpdateForPage(Page);
      FOutlineViewer->ScrollToPage(Page->AbsolutePageNo());
    }
  }
  UpdateOptionalButtons();
  LayoutSearchPanel();
  TppCustomPreview::PageChangeEvent();
}

void TppPreview::PrintStateChangeEvent() {
  const bool Busy = FViewer->GetBusy();
  const TCursor Wait = Busy ? crHourGlass : crDefault;
  FViewer->SetCursor(Wait);
  ToolbarPanel->SetCursor(Wait);
  if (FStatusBar) FStatusBar->SetCursor(Wait);
  // A disabled edit loses the focus to nothing: the keys stay with the preview instead.
  if (Busy && (PageNoEdit->Focused() || ZoomPercentEdit->Focused())) FocusKeyboardSink();
  PageNoEdit->SetEnabled(!Busy);
  ZoomPercentEdit->SetEnabled(!Busy);
  CancelButton->SetCursor(Busy ? crArrow : crDefault);
  CancelButton->SetCaption(LanguageString(Busy ? 5 : 6));
  if (!Busy && FViewer->ScreenDevice()->Cancelled()) DisableToolbar();
}

void TppPreview::LanguageChanged() {
  TppCustomPreview::LanguageChanged();
  FSearchPanelWidthApplied = false;
  if (FOutlineViewer) FOutlineViewer->LanguageChanged(FViewer->GetCurrentPage());
  CancelButton->SetHint(LanguageString(5));
  PrintButton->SetHint(LanguageString(22));
  WholePageButton->SetHint(LanguageString(30));
  PageWidthButton->SetHint(LanguageString(31));
  Zoom100Button->SetHint(LanguageString(1));
  FirstButton->SetHint(LanguageString(13));
  PriorButton->SetHint(LanguageString(29));
  NextButton->SetHint(LanguageString(15));
  LastButton->SetHint(LanguageString(14));
  AutoSearchButton->SetHint(LanguageString(1021));
  TextSearchButton->SetHint(LanguageString(TextSearchButton->Down() ? 1055 : 1054));
  CancelButton->SetCaption(LanguageString(6));
  TBitmap Measure(1, 1);
  Measure.Canvas().Font() = CancelButton->Font();
  CancelButton->SetWidth(Measure.Canvas().TextWidth(CancelButton->Caption()) + 30);
}

void TppPreview::SidePanelChanged() {
  const bool WasVisible = SidePanel->Visible();
  const bool OutlineShown = FOutlineViewer && FOutlineViewer->GetVisible();
  bool Show;
  if (SearchPanel->Parent() == SidePanel)
    Show = OutlineShown || (FSearchPreview && FSearchPreview->PanelVisible());
  else
    Show = FOutlineViewer && FOutlineViewer->Control()->Visible();
  SidePanel->SetVisible(Show);
  if (Splitter) Splitter->SetVisible(Show);
  if (Show != WasVisible) ReapplyZoom();
}

// The side panel came or went: the page is laid out again for the new width.
void TppPreview::ReapplyZoom() {
  if (FBeforePreviewRunning) return;
  SetZoomSetting(FViewer->ZoomSetting());
}

void TppPreview::LayoutSearchPanel() {
  if (!FSearchPreview) return;
  SearchPanel->SetParent(SidePanel);
  SearchPanel->SetAlign(alTop);
  SearchPanel->SetBevelInner(bvLowered);
  SearchPanel->SetHeight(78);
  FSearchPreview->ArrangeVertically();
  if (!FSearchPanelWidthApplied) {
    SidePanel->SetWidth(FSearchPreview->ToolbarWidth());
    FSearchPanelWidthApplied = true;
  }
  Splitter->SetMinSize(FSearchPreview->ToolbarWidth());
}
