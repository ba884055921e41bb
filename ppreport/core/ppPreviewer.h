#pragma once
// What the producer asks of its preview window, the form registered for the previewer kind
// (ppFormRegistry.h). The window lives with the output library's forms; the producer knows it
// only through this interface.
#include "platform/classes/Classes.h"

class TIcon;
class TppProducer;
class TppPreviewFormSettings;

class IppPreviewer {
public:
  // The report shown and the producer's handlers of the window's close, its end and a cancel.
  virtual void AttachProducer(TppProducer* Report, TNotifyEvent OnClose, TNotifyEvent OnDestroy,
                              TNotifyEvent OnCancel) = 0;
  // The remembered zoom (given to the viewer) and window state.
  virtual void ApplyPreviewFormSettings(const TppPreviewFormSettings& Settings) = 0;
  // Hands the report to the viewer and prepares the preview for it.
  virtual void Init() = 0;
  virtual void SetPreviewLanguage(int LanguageIndex, const TIcon* Icon) = 0;
  // Modal: OnActivate runs at each activation and the call returns when the window has closed.
  // Otherwise the window is shown and the call returns at once.
  virtual void ShowPreview(bool Modal, TNotifyEvent OnActivate) = 0;

protected:
  ~IppPreviewer() = default;
};
