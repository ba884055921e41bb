#include "tests/ppreport/core/ppTemplateTestSupport.h"

#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppTemplate.h"

namespace pptest {

void TTemplateBand::SetParentComponent(TComponent* Value) {
  auto* G = dynamic_cast<TppGroup*>(Value);
  if (!G) {
    TModelBand::SetParentComponent(Value);
    return;
  }
  Group = G;
}

void TTemplateBand::Loaded() {
  TModelBand::Loaded();
  if (!Group || Group->HeaderBand() == this || Group->FooterBand() == this) return;
  if (Kind == btGroupHeader) Group->SetHeaderBand(this);
  else Group->SetFooterBand(this);
}

const TClassInfo& TTemplateBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTemplateBand>("TTemplateBand", &TModelBand::StaticClassInfo())
                                     .Prop("Kind", &TTemplateBand::GetKind, &TTemplateBand::SetKind)
                                     .Default(btDetail);
  return Info;
}

void TTemplateLabel::SetPartner(TppCommunicator* Value) {
  if (FPartner) RemoveNotify(FPartner);
  FPartner = Value;
  if (Value) AddNotify(Value);
}

void TTemplateLabel::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TModelComponent::Notify(Partner, Operation);
  if (Operation == ppopRemove && Partner == FPartner) FPartner = nullptr;
}

const TClassInfo& TTemplateLabel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTemplateLabel>("TTemplateLabel", &TModelComponent::StaticClassInfo())
                                     .Prop("Ratio", &TTemplateLabel::Ratio, &TTemplateLabel::SetRatio)
                                     .Default(0)
                                     .Prop("Partner", &TTemplateLabel::Partner, &TTemplateLabel::SetPartner);
  return Info;
}

TTemplateClasses::TTemplateClasses() {
  RegisterClasses({&TTemplateBand::StaticClassInfo(), &TTemplateLabel::StaticClassInfo()});
}

TTemplateClasses::~TTemplateClasses() {
  UnRegisterClass(TTemplateBand::StaticClassInfo());
  UnRegisterClass(TTemplateLabel::StaticClassInfo());
}

void BuildTemplateReport(TModelReport* Report) {
  TComponent* Form = Report->Owner();
  auto Band = [&](const char* Name, TppBandType Kind) {
    auto* B = new TTemplateBand(Form, Kind);
    B->SetName(Name);
    return B;
  };
  auto Label = [&](const char* Name, TppBand* B, int32_t Left) {
    auto* L = new TTemplateLabel(Form);
    L->SetName(Name);
    L->SetBand(B);
    L->SetmmLeft(Left);
    return L;
  };
  TTemplateBand* Header = Band("Header", btHeader);
  Header->SetReport(Report);
  TTemplateBand* Detail = Band("Detail", btDetail);
  Detail->SetReport(Report);
  TTemplateLabel* L1 = Label("Label1", Detail, 1000);
  TTemplateLabel* L2 = Label("Label2", Detail, 25400);
  L2->SetPartner(L1);
  L2->SetRatio(1.25);
  auto* G = new TppGroup(Form);
  G->SetName("Group1");
  G->SetBreakName("Name");
  TTemplateBand* GH = Band("GroupHeader", btGroupHeader);
  TTemplateBand* GF = Band("GroupFooter", btGroupFooter);
  GH->Group = GF->Group = G;
  G->SetHeaderBand(GH);
  G->SetFooterBand(GF);
  G->SetReport(Report);
  Label("Label3", GH, 500);
}

std::string SaveTemplate(TModelReport* Report, TppFormatType Format) {
  TppReportTemplate* T = Report->Template();
  const TppFormatType Was = T->Format();
  T->SetFormat(Format);
  TMemoryStream M;
  T->SaveToStream(M);
  T->SetFormat(Was);
  return std::string(reinterpret_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
}

}  // namespace pptest
