#include "lxreport/LXExpr.h"

#include "lxreport/LXBands.h"
#include "lxreport/LXConsts.h"
#include "lxreport/LXEvaluator.h"
#include "lxreport/VexaRpt.h"
#include "platform/rtl/FloatFormat.h"

const TClassInfo& TLXExpr::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TLXExpr> D("TLXExpr", &TLXCustomLabel::StaticClassInfo());
    LXPublishTextProps(D)
        .Prop("Master", &TLXExpr::Master, &TLXExpr::SetMaster)
        .Prop("ResetAfterPrint", &TLXExpr::ResetAfterPrint, &TLXExpr::SetResetAfterPrint).Default(0)
        .Prop("Expression", &TLXExpr::Expression, &TLXExpr::SetExpression)
        .Prop("Mask", &TLXExpr::Mask, &TLXExpr::SetMask);
    return TClassInfo(D);
  }();
  return Info;
}

TLXExpr::TLXExpr(TComponent* AOwner) : TLXCustomLabel(AOwner), FEvaluator(std::make_unique<TLXEvaluator>()) {
  SetExpression({});
}

TLXExpr::~TLXExpr() { BeforeDestruction(); }

void TLXExpr::SetExpression(const std::string& V) {
  FExpression = V;
  SetCaption(V.empty() ? std::string("(") + SLXNone + ")" : V);
}

void TLXExpr::SetMask(const std::string& V) {
  FMask = V;
  SetExpression(FExpression);
}

void TLXExpr::ResetTotals() { FEvaluator->ResetAggregates(); }

void TLXExpr::BeginPrinting() {
  TLXCustomLabel::BeginPrinting();
  TCustomVexaRep* R = Report();
  FEvaluator->AssignDataSets(R ? R->DataSets() : nullptr);
  FEvaluator->SetEnvironment(R ? R->Functions() : nullptr);
  FEvaluator->Compile(FExpression);
  if (auto* M = dynamic_cast<TVexaRep*>(FMaster))
    M->RegisterPrintable(this);
  else if (auto* S = dynamic_cast<TLXSubDetail*>(FMaster))
    S->RegisterWithSubDetail(this);
  else if (!FMaster && R && FEvaluator->HasAggregates())
    R->RegisterPrintable(this);
  ResetTotals();
}

void TLXExpr::PrintAt(int32_t X, int32_t Y) {
  if (!IsOutputEnabled() || !FEvaluator->Compiled()) return;
  TLXEvValue V = FEvaluator->CurrentValue();
  switch (V.Kind) {
    case evInteger: SetPrintText(FormatFloat(FMask, static_cast<double>(V.Integer))); break;
    case evFloat: SetPrintText(FormatFloat(FMask, V.Float)); break;
    case evBoolean: SetPrintText(V.Boolean ? LXExprText::True : LXExprText::False); break;
    default: SetPrintText(V.Text()); break;  // a string, or an error's message
  }
  TLXCustomLabel::PrintAt(X, Y);
  if (FResetAfterPrint) ResetTotals();
}

void TLXExpr::ControllerNotify(TComponent* Sender, int32_t Code) {
  TLXCustomLabel::ControllerNotify(Sender, Code);
  if (Code == 0 && FEvaluator->Compiled()) FEvaluator->AccumulateAggregates();
}

void TLXExpr::EndPrinting() {
  FEvaluator->AssignDataSets(nullptr);
  FEvaluator->Discard();
  TLXCustomLabel::EndPrinting();
  SetExpression(FExpression);
}
