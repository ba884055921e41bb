#pragma once
// The print preview window: a status bar and a preview (ppPreview.h) of the class TppPreviewPlugIn
// names. It hands the report to the preview's viewer, forwards its keys to the preview, closes
// when the preview asks, and frees itself once closed. Registered for the previewer kind.
#include "ppreport/output/forms/ppForms.h"
#include "ppreport/output/forms/ppPreview.h"

class TppPrintPreview : public TppCustomPreviewer {
  DECLARE_CLASSINFO(TppPrintPreview)
public:
  explicit TppPrintPreview(TComponent* AOwner);
  ~TppPrintPreview() override;

  TControl* GetViewer() override;
  TppViewer* Viewer() const { return FPreview ? FPreview->Viewer() : nullptr; }
  TppCustomPreview* Preview() const { return FPreview; }
  TStatusBar* StatusBar() const { return FStatusBar; }
  void Init() override;
  void LanguageChanged() override;

protected:
  void Activate() override;
  void DoClose(TCloseAction& Action) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void Destroying() override;
  // A release that arrives while the viewer is making pages waits until they have stopped.
  void WndProc(TMessage& Message) override;

private:
  // Pages are being made for the viewer: the request runs further up the stack, through this
  // window's preview and viewer.
  bool MakingPages() const;

  TStatusBar* FStatusBar = nullptr;
  TppCustomPreview* FPreview = nullptr;
  TTimer* FReleaseTimer = nullptr;
};
