// The picture controls and the graphic class registry.
#include "ppreport/generation/ppCtrlsImage.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppLanguageModule.h"
#include "ppreport/core/ppModelPalette.h"
#include "ppreport/generation/ppCompUtils.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {

constexpr int ppVersionDirectDraw = 4200;  // up to it: a metafile was always drawn directly

std::string ModuleText(int N, const char* Ours) {
  if (ppResourceManager().ModulesLoaded()) {
    std::string Text = LanguageString(N);
    if (!Text.empty()) return Text;
  }
  return Ours;
}

// ---- the registry: names in upper case to their class

std::mutex RegistryLock;
bool RegistryFilled = false;
std::map<std::string, std::pair<std::string, TGraphicClass>>& Registry() {
  static std::map<std::string, std::pair<std::string, TGraphicClass>> List;
  return List;
}

void Put(const std::string& Name, const TGraphicClass& Class) { Registry()[UpperCaseAscii(Name)] = {Name, Class}; }

// The standard classes, and those this program's picture classes read.
void Fill() {
  if (RegistryFilled) return;
  RegistryFilled = true;
  for (auto [Name, ClassName] : {std::pair{"Bitmap", "TBitmap"}, {"MetaFile", "TMetafile"}, {"Icon", "TIcon"},
                                 {"GIF", "TGIFImage"}, {"JPEG", "TJPEGImage"}, {"PNG", "TPngImage"}})
    if (const TGraphicClass* C = GraphicClasses::FindByClassName(ClassName)) Put(Name, *C);
}

}  // namespace

void RegisterGraphicClass(const std::string& Name, const TGraphicClass& Class) {
  std::lock_guard L(RegistryLock);
  Fill();
  Put(Name, Class);
}

const TGraphicClass* GetGraphicClass(const std::string& Name) {
  std::lock_guard L(RegistryLock);
  Fill();
  auto It = Registry().find(UpperCaseAscii(Name));
  return It == Registry().end() ? nullptr : &It->second.second;
}

std::vector<std::string> GetGraphicClassNames() {
  std::lock_guard L(RegistryLock);
  Fill();
  std::vector<std::string> Names;
  for (auto& [Key, Entry] : Registry()) Names.push_back(Entry.first);
  return Names;
}

std::unique_ptr<TGraphic> LoadGraphic(const std::string& Name, TStream& Stream) {
  const TGraphicClass* C = GetGraphicClass(Name);
  if (!C || !C->Create) throw EInvalidGraphic(SUnknownPictureFormat);
  std::unique_ptr<TGraphic> G = C->Create();
  G->LoadFromStream(Stream);
  return G;
}

void FreeGraphicClassList() {
  std::lock_guard L(RegistryLock);
  Registry().clear();
  RegistryFilled = false;
}

// ---- TppCustomImage

TppCustomImage::TppCustomImage(TComponent* AOwner) : TppCustomComponent(AOwner) {
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawImage(nullptr); });
  SetSpBounds(GetspLeft(), GetspTop(), 50, 50);
  AssignAutoSize(false);
  FPicture.Picture().OnChange = [this](TPicture*) { PictureChanged(); };
}

TppCustomImage::~TppCustomImage() {
  BeforeDestruction();
  FPicture.Picture().OnChange = nullptr;
}

void TppCustomImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  PropertyChanging("Center");
  FCenter = Value;
  PictureChanged();
}

void TppCustomImage::SetMaintainAspectRatio(bool Value) {
  if (Value == FMaintainAspectRatio) return;
  PropertyChanging("MaintainAspectRatio");
  FMaintainAspectRatio = Value;
  PictureChanged();
}

void TppCustomImage::SetStretch(bool Value) {
  PropertyChanging("Stretch");
  FStretch = Value;
  PictureChanged();
}

void TppCustomImage::SetDirectDraw(bool Value) {
  FDirectDraw = Value;
  PictureChanged();
}

TppPicture* TppCustomImage::GetPicture() { return &FPicture; }

void TppCustomImage::SetPicture(const TppPicture* Value) {
  PropertyChanging("Picture");
  if (Value)
    FPicture.Assign(Value);
  else
    FPicture.Picture().SetGraphic(nullptr);
  PictureChanged();
}

void TppCustomImage::PictureChanged() {
  if (IsReadingOrLoading()) return;
  const TPicture& P = FPicture.Picture();
  if (AutoSize() && P.Width() > 0 && P.Height() > 0) SetSpBounds(GetspLeft(), GetspTop(), P.Width(), P.Height());
  InvalidateDesignControl();
  PropertyChanged();
  if (IsNewPage()) ++FImageNumber;
}

void TppCustomImage::SetAutoSize(bool Value) {
  TppCustomComponent::SetAutoSize(Value);
  PictureChanged();
}

void TppCustomImage::SetTransparent(bool Value) {
  TppCustomComponent::SetTransparent(Value);
  PictureChanged();
}

std::string TppCustomImage::GetCaption() {
  if (IsDataAware() && !DataField().empty()) {
    if (TppDataPipeline* P = GetDataPipeline()) return P->GetFieldAlias(DataField());
    return DataField();
  }
  return GetUserName();
}

void TppCustomImage::Init() {
  TppCustomComponent::Init();
  FImageNumber = 0;
}

void TppCustomImage::CalcPrintPosition() {
  GetPicture();  // a data-aware image loads its picture here
  TppCustomComponent::CalcPrintPosition();
}

void TppCustomImage::ConvertFromVersion(int Version) {
  TppCustomComponent::ConvertFromVersion(Version);
  const TGraphic* G = FPicture.Graphic();
  if (Version <= ppVersionDirectDraw && G && !G->Empty()) FDirectDraw = dynamic_cast<const TMetafile*>(G) != nullptr;
}

void TppCustomImage::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomComponent::PropertiesToDrawCommand(DrawCommand);
  auto* D = dynamic_cast<TppDrawImage*>(DrawCommand);
  if (!D) return;
  const TRect R = PageRect();
  D->SetLeft(R.Left);
  D->SetTop(R.Top);
  D->SetWidth(R.Width());
  D->SetHeight(R.Height());
  D->SetStretch(FStretch);
  D->SetCenter(FCenter);
  D->SetMaintainAspectRatio(FMaintainAspectRatio);
  D->SetDirectDraw(FDirectDraw);
  if (Name().empty()) SetName(GetUniqueName(this));
  D->SetImageName(Name() + std::to_string(FImageNumber));
  D->SetPicture(&FPicture);
  D->SetTransparent(Transparent());
}

// ---- TppImage

TppImage::TppImage(TComponent* AOwner) : TppCustomImage(AOwner) {}

TppImage::~TppImage() { BeforeDestruction(); }

// ---- TppDBImage

TppDBImage::TppDBImage(TComponent* AOwner) : TppCustomImage(AOwner) {}

TppDBImage::~TppDBImage() { BeforeDestruction(); }

void TppDBImage::SetAutoDisplay(bool Value) {
  if (Value == FAutoDisplay) return;
  FAutoDisplay = Value;
  if (Value) LoadPicture();
}

void TppDBImage::SetGraphicType(const std::string& Value) {
  if (!GetGraphicClass(Value) || Value == FGraphicType) return;
  PropertyChanging("GraphicType");
  FGraphicType = Value;
  if (IsReadingOrLoading()) return;
  SetDirectDraw(FGraphicType == "MetaFile");
  PropertyChanged();
  InvalidateLayout();
}

std::string TppDBImage::GetDescription() const {
  return DataField().empty() ? GetUserName() : GetUserName() + ": " + DataField();
}

void TppDBImage::SetDataField(const std::string& Value) {
  TppCustomImage::SetDataField(Value);
  LoadPicture();
  PropertyChanged();
}

TppPicture* TppDBImage::GetPicture() {
  LoadPicture();
  return &PictureHolder();
}

void TppDBImage::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCustomImage::Notify(Partner, Operation);
  if (HasState(csDestroying)) return;
  if ((Operation == ppopRemove || Operation == ppopDataChange) && Designing() && !IsReportPrinting()) LoadPicture();
}

bool TppDBImage::ScriptListens() const {
  for (int I = 0; I < GetEventNotifyCount(); ++I)
    if (GetEventNotifyItem(I)->EventMask().Contains(ciDBImageGetPicture)) return true;
  return false;
}

void TppDBImage::LoadPicture() {
  TPicture& Picture = PictureHolder().Picture();
  Picture.SetGraphic(nullptr);
  const bool Listened = ScriptListens();
  if (!FAutoDisplay && !OnGetPicture && !Listened) return;
  if (OnGetPicture || Listened) {
    if (OnGetPicture) OnGetPicture(this, &Picture);
    SendObjectEvent(ciDBImageGetPicture, "aPicture", TppPicture::StaticClassInfo(), &PictureHolder());
  } else if (IsDataAvailable()) {
    LoadFromData(Picture);
  }
  InvalidateDesignControl();
}

void TppDBImage::LoadFromData(TPicture& Picture) {
  TppDataPipeline* P = GetDataPipeline();
  TppDataType Type = dtNotKnown;
  try {
    Type = P->GetFieldDataType(DataField());
  } catch (const std::exception&) {
    Type = dtNotKnown;
  }
  if (Type == dtBLOB || Type == dtMemo || Type == dtGraphic) {
    try {
      const TGraphicClass* C = GetGraphicClass(FGraphicType);
      if (C && C->ClassName == "TBitmap") {
        // The pipeline recognises the picture by its first bytes.
        if (TPicture* Field = P->GetFieldAsPicture(DataField())) Picture.Assign(*Field);
      } else {
        TMemoryStream Bytes;
        P->GetFieldAsStream(DataField(), Bytes);
        if (Bytes.Size() > 0) {
          Bytes.SetPosition(0);
          Picture.SetGraphic(LoadGraphic(FGraphicType, Bytes));
        }
      }
    } catch (const std::exception&) {
      DecodeFailed(Picture);
    }
  } else if (Type == dtString) {
    Variant Value;
    try {
      Value = P->GetFieldValue(DataField());
    } catch (const std::exception&) {
      return;
    }
    if (Value.IsNull()) return;
    const std::string FileName = VarToStr(Value);
    if (FileName.empty() || !FileExists(FileName)) return;
    try {
      Picture.LoadFromFile(FileName);
    } catch (const std::exception&) {
      DecodeFailed(Picture);
    }
  }
}

void TppDBImage::DecodeFailed(TPicture& Picture) {
  Picture.SetGraphic(nullptr);
  TppCustomReport* R = GetReport();
  TppCustomEngine* E = R ? R->Engine() : nullptr;
  if (!E || !E->Printing()) return;
  const std::string Who = GetUserName().empty() ? Name() : GetUserName();
  R->GetMainReport()->PrintError(ModuleText(290, SppImageLoadFailed) + ": " + Who + ".");
}

void TppDBImage::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomImage::PropertiesToDrawCommand(DrawCommand);
  auto* D = dynamic_cast<TppDrawImage*>(DrawCommand);
  TppDataPipeline* P = GetDataPipeline();
  if (D && P) D->SetImageName(Name() + P->Name() + DataField() + std::to_string(P->RecordNo()));
}

// ---- class records

const TClassInfo& TppCustomImage::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCustomImage>("TppCustomImage", &TppCustomComponent::StaticClassInfo());
  return Info;
}

namespace {
// What both images publish beyond the control's.
template <class C>
TClassDef<C>& PublishImage(TClassDef<C>& D) {
  return D.template SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors)
      .Default(ppAnchorLeft | ppAnchorTop)
      .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
      .Default(0)
      .Prop("Border", &C::Border, &C::SetBorder)
      .Prop("Center", &C::Center, &C::SetCenter)
      .Default(1)
      .Prop("DirectDraw", &C::DirectDraw, &C::SetDirectDraw)
      .Default(0)
      .Prop("MaintainAspectRatio", &C::MaintainAspectRatio, &C::SetMaintainAspectRatio)
      .NoDefault()
      .Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow)
      .Default(0)
      .Prop("Stretch", &C::Stretch, &C::SetStretch)
      .Default(0)
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

const TClassInfo& TppImage::StaticClassInfo() {
  using C = TppImage;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppImage", &TppCustomImage::StaticClassInfo());
    PublishImage(D);
    D.Prop("Picture", [](const C& I) { return const_cast<C&>(I).GetPicture(); }, &C::SetPicture);
    return TClassInfo(D);
  }();
  return Info;
}

const TClassInfo& TppDBImage::StaticClassInfo() {
  using C = TppDBImage;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppDBImage", &TppCustomImage::StaticClassInfo());
    PublishImage(D);
    D.Prop("AutoDisplay", &C::AutoDisplay, &C::SetAutoDisplay).Default(1);
    D.Prop("DataField", &C::DataField, &C::SetDataField);
    D.Prop("DataPipeline", &C::GetDataPipeline, &C::SetDataPipeline);
    D.Prop("GraphicType", &C::GraphicType, &C::SetGraphicType).NoDefault();
    D.Prop("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(1);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeImageUnit() { ppRegisterModelComponents({&TppImage::StaticClassInfo(), &TppDBImage::StaticClassInfo()}); }

void FinalizeImageUnit() {
  ppUnregisterModelComponents({&TppImage::StaticClassInfo(), &TppDBImage::StaticClassInfo()});
  FreeGraphicClassList();
}
