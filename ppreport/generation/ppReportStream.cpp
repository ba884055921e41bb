// The report classes' published properties, older stream properties, copies and conversions.
#include <any>

#include "platform/classes/Filer.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/generation/ppChildReport.h"
#include "ppreport/generation/ppReport.h"

namespace {
// Versions whose streams the report converts.
constexpr int ppVersionOrientationInSetup = 1270;
constexpr int ppVersionRowSpacing = 3000;
constexpr int ppVersionOutline = 6100;

// A property of older streams that is read and forgotten.
void DropOnRead(TFiler* Filer, const char* Name) {
  Filer->DefineProperty(Name, [](TReader& R) { R.SkipValue(); }, nullptr, false);
}

// The identifier read, or empty when the value is of another kind (skipped).
std::string ReadIdentOrSkip(TReader& R) {
  if (R.NextValue() != vaIdent) {
    R.SkipValue();
    return {};
  }
  return R.ReadIdent();
}
}  // namespace

void TppReport::DefineProperties(TFiler* Filer) {
  TppBandedReport::DefineProperties(Filer);
  for (const char* Name : {"AllowPrintCancel", "PreviewPages", "SuppressFormFeed", "Viewer"}) DropOnRead(Filer, Name);
  Filer->DefineProperty("DataSource", [this](TReader& R) { FDataSourceName = ReadIdentOrSkip(R); }, nullptr, false);
  Filer->DefineProperty(
      "Orientation", [this](TReader& R) { FLandscape = ReadIdentOrSkip(R) == "poLandscape"; }, nullptr, false);
  Filer->DefineProperty("NoDataPages", [this](TReader& R) { SetPageLimit(R.ReadInteger()); }, nullptr, false);
  Filer->DefineProperty("RowSpacing", [this](TReader& R) { FRowSpacing = R.ReadSingle(); }, nullptr, false);
  Filer->DefineProperty(
      "OnAutoSearchDialogCreate",
      [this](TReader& R) {
        const std::string Name = ReadIdentOrSkip(R);
        if (Name.empty()) return;
        if (TComponent* Root = R.Root()) {
          const TMethod M = MethodByName(Root, Name);
          if (M.Assigned()) {
            if (const auto* Code = std::any_cast<std::function<void(TObject*)>>(&M.Code)) {
              BeforeAutoSearchDialogCreate.SetMethod(M.Name, *Code);
              return;
            }
          }
        }
        if (!R.OnFindMethod) return;
        std::any Code;
        bool Error = true;
        R.OnFindMethod(R, Name, Code, Error);
        if (const auto* Fn = std::any_cast<std::function<void(TObject*)>>(&Code))
          BeforeAutoSearchDialogCreate.SetMethod(Name, *Fn);
      },
      nullptr, false);
}

void TppReport::Transfer(TPersistent* Source) {
  TppBandedReport::Transfer(Source);
  auto* S = dynamic_cast<TppReport*>(Source);
  if (!S || S == this) return;
  FCacheManager->Reset();
  FCachePages = S->FCachePages;
  SetShowAutoSearchDialog(S->ShowAutoSearchDialog());
  ChildReportLoadedHook = S->ChildReportLoadedHook;
  FDataSourceName = S->FDataSourceName;
  FOutlineSettings->Assign(S->FOutlineSettings.get());
  // The criteria are the report's children as its bands are: they move with the definition.
  for (TppAutoSearchField* F : std::vector<TppAutoSearchField*>(FAutoSearchFields)) F->Free();
  for (TppAutoSearchField* F : std::vector<TppAutoSearchField*>(S->FAutoSearchFields)) {
    F->SetParent(this);
    if (Owner() && F->Owner() != Owner()) F->ChangeOwner(Owner());
  }
  if (S->FParameters) {
    TppParameterList* P = S->FParameters;
    P->SetParent(this);
    if (Owner() && P->Owner() != Owner()) P->ChangeOwner(Owner());
  }
}

void TppReport::ConvertFromVersion(int Version) {
  TppBandedReport::ConvertFromVersion(Version);
  if (Version < ppVersionOrientationInSetup) PrinterSetup()->SetOrientation(FLandscape ? poLandscape : poPortrait);
  if (Version < ppVersionRowSpacing && FRowSpacing != 0)
    if (TppBand* Detail = FindBand(btDetail)) Detail->SetBottomOffset(FRowSpacing);
  if (Version < ppVersionOutline) FOutlineSettings->SetEnabled(false);
}

const TClassInfo& TppBandedReport::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TppBandedReport> D("TppBandedReport", &TppCustomReport::StaticClassInfo());
    PublishProducerProperties(D);
    D.Event("OnPageRequest", &TppBandedReport::OnPageRequest)
        .Event("OnAssignPreviewFormSettings", &TppBandedReport::OnAssignPreviewFormSettings);
    return TClassInfo(D);
  }();
  return Info;
}

const TClassInfo& TppReport::StaticClassInfo() {
  using R = TppReport;
  static const TClassInfo Info =
      TClassDef<R>("TppReport", &TppBandedReport::StaticClassInfo())
          .Prop("CachePages", &R::CachePages, &R::SetCachePages)
          .Default(0)
          .Prop("OutlineSettings", &R::OutlineSettings, &R::SetOutlineSettings)
          .Prop("ParametersEditor", &R::ParametersEditor, &R::SetParametersEditor)
          .Stored(false)
          .Event("AfterAutoSearchDialogCreate", &R::AfterAutoSearchDialogCreate)
          .Event("AfterOpenDataPipelines", &R::AfterOpenDataPipelines)
          .Event("BeforeAutoSearchDialogCreate", &R::BeforeAutoSearchDialogCreate)
          .Event("BeforeOpenDataPipelines", &R::BeforeOpenDataPipelines)
          .Event("OnAutoSearchDialogClose", &R::OnAutoSearchDialogClose)
          .Event("OnGetAutoSearchValues", &R::OnGetAutoSearchValues)
          .Event("OnInitializeParameters", &R::OnInitializeParameters)
          .Event("OnOutlineNodeCreate", &R::OnOutlineNodeCreate);
  return Info;
}

const TClassInfo& TppChildReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppChildReport>("TppChildReport", &TppBandedReport::StaticClassInfo());
  return Info;
}
