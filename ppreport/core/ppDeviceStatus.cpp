#include "ppreport/core/ppDeviceStatus.h"

#include "platform/app/Application.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppLanguage.h"

IppCancelDialogStatus* DeviceStatusDialog(const TppDevice& Device) {
  return dynamic_cast<IppCancelDialogStatus*>(Device.CancelDialog());
}

std::string DevicePageStatus(const TppDevice& Device, const TppPage* Page, bool PageCountKnown,
                             const std::string& Destination) {
  if (!Page) return LanguageString(2);
  const bool Completed = !Device.Publisher() || Device.Publisher()->ReportCompleted();
  if (Device.IsMessagePage() && !Completed) {
    const IppCancelDialogStatus* Dialog = DeviceStatusDialog(Device);
    return Dialog ? Dialog->StatusText() : std::string();
  }
  if (PageCountKnown)
    return FormatLanguageString(28,
                  {IntToStr(Page->AbsolutePageNo()), IntToStr(Page->AbsolutePageCount()), Page->DocumentName(),
                   Destination});
  return FormatLanguageString(27,
                {IntToStr(Page->AbsolutePageNo()), Page->DocumentName(), Destination});
}

void ShowDeviceStatus(const TppDevice& Device, const std::string& Text) {
  IppCancelDialogStatus* Dialog = DeviceStatusDialog(Device);
  if (!Dialog || Dialog->StatusText() == Text) return;
  Dialog->SetStatusText(Text);
  if (Application) Application->ProcessMessages();
}
