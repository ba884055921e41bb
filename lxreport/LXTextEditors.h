#pragma once
// The printable editors of the text printables: what a designer asks of a
// label or an expression printable, and their settings dialogs ("Text
// Settings", "Expression settings") through the dialog service.
#include <memory>

#include "lxreport/LXExprDialogs.h"
#include "lxreport/LXPrintable.h"

class TLXCustomLabel;
class TLXExpr;

class TLXLabelEditor : public TLXPrintableEditor {
public:
  using TLXPrintableEditor::TLXPrintableEditor;
  static std::unique_ptr<TLXPrintableEditor> Create(TLXPrintable* Printable);

  TColor ReadColor() const override;
  const TFont* ReadFont() const override;
  const TClassInfo& ControlClass() const override;
  std::string ReadValue() const override;
  std::string GlyphResource() const override;
  std::string ControlTitle() const override;
  TAlignment ReadAlignment() const override;
  void WriteAlignment(TAlignment V) override;
  void WriteColor(TColor V) override;
  void WriteFont(const TFont* V) override;
  void WriteValue(const std::string& V) override;
  // The settings dialog; true when closed with OK. A width or height that is not a number
  // raises the conversion error after the text was taken.
  bool EditControl() override;

protected:
  TLXCustomLabel* Label() const;
  virtual void Fill(TLXTextSettingsRequest& R) const;
  virtual void Apply(const TLXTextSettingsRequest& R);
};

class TLXExprEditor : public TLXLabelEditor {
public:
  using TLXLabelEditor::TLXLabelEditor;
  static std::unique_ptr<TLXPrintableEditor> Create(TLXPrintable* Printable);

  const TClassInfo& ControlClass() const override;
  std::string ReadValue() const override;
  std::string GlyphResource() const override;
  std::string ControlTitle() const override;
  void WriteValue(const std::string& V) override;

protected:
  TLXExpr* Expr() const;
  void Fill(TLXTextSettingsRequest& R) const override;
  void Apply(const TLXTextSettingsRequest& R) override;
};
