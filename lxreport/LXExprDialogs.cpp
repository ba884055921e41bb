#include "lxreport/LXExprDialogs.h"

bool EditExpression(const std::string& Heading, std::string& Expression, TComponent* DataSetForm,
                    TLXEvEnvironment* LocalEnvironment, TComponent* HostForm) {
  TLXExpressionRequest R;
  R.Heading = Heading;
  R.Expression = Expression;
  R.DataSetForm = DataSetForm;
  R.LocalEnvironment = LocalEnvironment;
  R.HostForm = HostForm;
  bool Ok = DialogService().Execute(R) == mrOk;
  Expression = Ok ? StripLineBreaks(R.Expression) : std::string();
  return Ok;
}

void EditEnvironment(TLXEvEnvironment* LocalEnvironment, bool AllowGlobal, TComponent* Owner) {
  TLXEnvironmentRequest R;
  R.LocalEnvironment = LocalEnvironment;
  R.AllowGlobal = AllowGlobal;
  R.Owner = Owner;
  DialogService().Execute(R);
}

std::string StripLineBreaks(const std::string& Text) {
  std::string R;
  R.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] == '\r') {
      ++I;  // and the character after it
      continue;
    }
    R += Text[I];
  }
  return R;
}
