#pragma once
// The status line a device shows in its cancel dialog while it prints or writes. The dialog (a
// form of the output library's forms) answers this interface; a device without one keeps its texts
// to itself.
#include <string>

class TppDevice;
class TppPage;

class IppCancelDialogStatus {
public:
  virtual std::string StatusText() const = 0;
  virtual void SetStatusText(const std::string& Text) = 0;

protected:
  ~IppCancelDialogStatus() = default;
};

// The device's cancel dialog as a status line, null without one.
IppCancelDialogStatus* DeviceStatusDialog(const TppDevice& Device);

// The line for Page printed or written to Destination (a printer or a file name): no page, the
// dialog's text kept for a message page of a report not complete, the page of pages when
// PageCountKnown, else the page alone.
std::string DevicePageStatus(const TppDevice& Device, const TppPage* Page, bool PageCountKnown,
                             const std::string& Destination);

// Shows Text in the device's cancel dialog when it differs, then lets the dialog repaint and its
// cancel button be pressed.
void ShowDeviceStatus(const TppDevice& Device, const std::string& Text);
