#include "ppreport/core/ppProdSettings.h"

#include <utility>

#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppLanguage.h"

class TppTextSearchSettings::TWalkieTalkie : public TppCommunicator {
public:
  explicit TWalkieTalkie(TppTextSearchSettings* Settings) : TppCommunicator(nullptr), FSettings(Settings) {}
  ~TWalkieTalkie() override { BeforeDestruction(); }
  TppTextSearchSettings* FSettings;  // null once the settings let go

protected:
  void Destroying() override {
    if (FSettings) FSettings->WalkieTalkieFreed(this);
    TppCommunicator::Destroying();
  }
};

const TClassInfo& TppTextSearchSettings::StaticClassInfo() {
  using S = TppTextSearchSettings;
  static const TClassInfo Info = TClassDef<S>("TppTextSearchSettings", &TPersistent::StaticClassInfo())
                                     .Prop("CaseSensitive", &S::CaseSensitive, &S::SetCaseSensitive)
                                     .Default(0)
                                     .Prop("DefaultString", &S::DefaultString, &S::SetDefaultString)
                                     .Stored(true)
                                     .Prop("Enabled", &S::Enabled, &S::SetEnabled)
                                     .NoDefault()
                                     .Prop("ShowAll", &S::ShowAll, &S::SetShowAll)
                                     .Default(0)
                                     .Prop("SearchFromCurrentPage", &S::SearchFromCurrentPage, &S::SetSearchFromCurrentPage)
                                     .Default(0)
                                     .Prop("Visible", &S::Visible, &S::SetVisible)
                                     .Default(0)
                                     .Prop("WholeWord", &S::WholeWord, &S::SetWholeWord)
                                     .Default(0);
  return Info;
}

TppTextSearchSettings::TppTextSearchSettings() : FDefaultString(LanguageString(1069)) {}

TppTextSearchSettings::~TppTextSearchSettings() {
  if (!FWalkieTalkie) return;
  TWalkieTalkie* W = std::exchange(FWalkieTalkie, nullptr);
  W->FSettings = nullptr;
  W->OnNotify = nullptr;
  W->Free();
}

TppCommunicator* TppTextSearchSettings::WalkieTalkie() {
  if (!FWalkieTalkie) {
    FWalkieTalkie = new TWalkieTalkie(this);
    FWalkieTalkie->OnNotify = [this](TppCommunicator*, TppCommunicator* Partner, TppNotifyOperation Op) {
      WalkieTalkieNotifyEvent(Partner, Op);
    };
  }
  return FWalkieTalkie;
}

void TppTextSearchSettings::WalkieTalkieFreed(TWalkieTalkie* W) {
  if (FWalkieTalkie == W) FWalkieTalkie = nullptr;
}

void TppTextSearchSettings::WalkieTalkieNotifyEvent(TppCommunicator* Sender, TppNotifyOperation Operation) {
  if (Sender && Sender == FWalkieTalkie && Operation == ppopRemove)
    throw ESearchError(ppErrorText(ClassName(), "WalkieTalkieNotifyEvent", SppSearchWalkieTalkieFreed));
}

void TppTextSearchSettings::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppTextSearchSettings*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  FCaseSensitive = S->FCaseSensitive;
  FEnabled = S->FEnabled;
  FDefaultString = S->FDefaultString;
  FShowAll = S->FShowAll;
  FSearchFromCurrentPage = S->FSearchFromCurrentPage;
  FVisible = S->FVisible;
  FWholeWord = S->FWholeWord;
}

const TClassInfo& TppBackgroundPrintSettings::StaticClassInfo() {
  using S = TppBackgroundPrintSettings;
  static const TClassInfo Info = TClassDef<S>("TppBackgroundPrintSettings", &TPersistent::StaticClassInfo())
                                     .Prop("Enabled", &S::Enabled, &S::SetEnabled)
                                     .Default(0)
                                     .Prop("Active", &S::Active, &S::SetActive)
                                     .Default(0);
  return Info;
}

void TppBackgroundPrintSettings::SetEnabled(bool V) {
  FEnabled = V;
  if (!V) FActive = false;
}

void TppBackgroundPrintSettings::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppBackgroundPrintSettings*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  FEnabled = S->FEnabled;
  FActive = S->FActive;
}

const TClassInfo& TppPDFSettings::StaticClassInfo() {
  using S = TppPDFSettings;
  static const TClassInfo Info = TClassDef<S>("TppPDFSettings", &TPersistent::StaticClassInfo())
                                     .Prop("Author", &S::Author, &S::SetAuthor)
                                     .Prop("CompressionLevel", &S::CompressionLevel, &S::SetCompressionLevel)
                                     .Default(pclDefault)
                                     .Prop("Keywords", &S::Keywords, &S::SetKeywords)
                                     .Prop("OpenPDFFile", &S::OpenPDFFile, &S::SetOpenPDFFile)
                                     .Default(0)
                                     .Prop("ScaleImages", &S::ScaleImages, &S::SetScaleImages)
                                     .Default(1)
                                     .Prop("Subject", &S::Subject, &S::SetSubject)
                                     .Prop("Title", &S::Title, &S::SetTitle);
  return Info;
}

void TppPDFSettings::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppPDFSettings*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  FAuthor = S->FAuthor;
  FCompressionLevel = S->FCompressionLevel;
  FKeywords = S->FKeywords;
  FOpenPDFFile = S->FOpenPDFFile;
  FScaleImages = S->FScaleImages;
  FSubject = S->FSubject;
  FTitle = S->FTitle;
}

const TClassInfo& TppPreviewFormSettings::StaticClassInfo() {
  using S = TppPreviewFormSettings;
  static const TClassInfo Info = TClassDef<S>("TppPreviewFormSettings", &TPersistent::StaticClassInfo())
                                     .Prop("WindowState", &S::WindowState, &S::SetWindowState)
                                     .Default(pwsNormal)
                                     .Prop("ZoomSetting", &S::ZoomSetting, &S::SetZoomSetting)
                                     .Default(zsWholePage)
                                     .Prop("ZoomPercentage", &S::ZoomPercentage, &S::SetZoomPercentage)
                                     .Default(100);
  return Info;
}

void TppPreviewFormSettings::SetWindowState(TppPreviewWindowState V) {
  FWindowState = V;
  Changed();
}

void TppPreviewFormSettings::SetZoomSetting(TppZoomSettingType V) {
  FZoomSetting = V;
  Changed();
}

void TppPreviewFormSettings::SetZoomPercentage(int V) {
  FZoomPercentage = V < 25 ? 25 : V > 250 ? 250 : V;
  SetZoomSetting(zsPercentage);
  Changed();
}

void TppPreviewFormSettings::CopySettings(const TppPreviewFormSettings& Source) {
  FWindowState = Source.FWindowState;
  FZoomPercentage = Source.FZoomPercentage;
  FZoomSetting = Source.FZoomSetting;
}

void TppPreviewFormSettings::Changed() {
  if (OnChange) OnChange(this);
}
