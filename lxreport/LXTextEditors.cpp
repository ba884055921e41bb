#include "lxreport/LXTextEditors.h"

#include "lxreport/LXConsts.h"
#include "lxreport/LXExpr.h"
#include "lxreport/LXLabel.h"
#include "platform/rtl/FloatFormat.h"

namespace T = LXEditorText;

TLXPrintableEditorClass TLXLabel::EditorClass() const { return {"TLXLabelEditor", &TLXLabelEditor::Create}; }
TLXPrintableEditorClass TLXExpr::EditorClass() const { return {"TLXExprEditor", &TLXExprEditor::Create}; }

// ---- TLXLabelEditor

std::unique_ptr<TLXPrintableEditor> TLXLabelEditor::Create(TLXPrintable* Printable) {
  return std::make_unique<TLXLabelEditor>(Printable);
}

TLXCustomLabel* TLXLabelEditor::Label() const { return static_cast<TLXCustomLabel*>(Printable()); }

TColor TLXLabelEditor::ReadColor() const { return Label()->Color(); }
const TFont* TLXLabelEditor::ReadFont() const { return Label()->Font(); }
const TClassInfo& TLXLabelEditor::ControlClass() const { return TLXLabel::StaticClassInfo(); }
std::string TLXLabelEditor::ReadValue() const { return Label()->Caption(); }
std::string TLXLabelEditor::GlyphResource() const { return "LXLABEL"; }
std::string TLXLabelEditor::ControlTitle() const { return T::LabelTitle; }
TAlignment TLXLabelEditor::ReadAlignment() const { return Label()->Alignment(); }
void TLXLabelEditor::WriteAlignment(TAlignment V) { Label()->SetAlignment(V); }
void TLXLabelEditor::WriteColor(TColor V) { Label()->SetColor(V); }
void TLXLabelEditor::WriteFont(const TFont* V) { Label()->SetFont(V); }
void TLXLabelEditor::WriteValue(const std::string& V) { Label()->SetCaption(V); }

void TLXLabelEditor::Fill(TLXTextSettingsRequest& R) const {
  R.Value = ReadValue();
  R.Width = FloatToStr(static_cast<double>(Label()->Size()->Width()));
  R.Height = FloatToStr(static_cast<double>(Label()->Size()->Height()));
  R.AutoSize = Label()->AutoSize();
  R.Stretch = Label()->AutoStretch();
  R.Transparent = Label()->Transparent();
}

void TLXLabelEditor::Apply(const TLXTextSettingsRequest& R) {
  WriteValue(R.Value);
  Label()->Size()->SetWidth(StrToFloat(R.Width));
  Label()->Size()->SetHeight(StrToFloat(R.Height));
  // Stored as it is, without laying the lines out again.
  Label()->SetAutoSize(R.AutoSize);
  Label()->SetAutoStretch(R.Stretch);
  Label()->SetTransparent(R.Transparent);
}

bool TLXLabelEditor::EditControl() {
  TLXTextSettingsRequest R;
  Fill(R);
  if (!ExecuteDialog(R)) return false;
  Apply(R);
  return true;
}

// ---- TLXExprEditor

std::unique_ptr<TLXPrintableEditor> TLXExprEditor::Create(TLXPrintable* Printable) {
  return std::make_unique<TLXExprEditor>(Printable);
}

TLXExpr* TLXExprEditor::Expr() const { return static_cast<TLXExpr*>(Printable()); }

const TClassInfo& TLXExprEditor::ControlClass() const { return TLXExpr::StaticClassInfo(); }
std::string TLXExprEditor::ReadValue() const { return Expr()->Expression(); }
std::string TLXExprEditor::GlyphResource() const { return "LXEXPR"; }
std::string TLXExprEditor::ControlTitle() const { return T::ExprTitle; }
void TLXExprEditor::WriteValue(const std::string& V) { Expr()->SetExpression(V); }

namespace {
// The component whose data sets the builder offers: the one holding the printable's
// report, found above its topmost parent control (the form it was placed on).
TComponent* DataSetFormOf(TLXPrintable* P) {
  THeadlessControl* Top = P;
  while (Top->Parent()) Top = Top->Parent();
  return Top->Owner();
}
}  // namespace

void TLXExprEditor::Fill(TLXTextSettingsRequest& R) const {
  TLXLabelEditor::Fill(R);
  R.ExpressionSettings = true;
  R.Mask = Expr()->Mask();
  R.DataSetForm = DataSetFormOf(Expr());
}

void TLXExprEditor::Apply(const TLXTextSettingsRequest& R) {
  TLXLabelEditor::Apply(R);
  Expr()->SetMask(R.Mask);
}
