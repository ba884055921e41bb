#pragma once
// The printers the pp library can use: one process-wide list with a "Default" entry (the system
// default printer), the "Screen" pseudo printer (measures with the screen, cannot print) and every
// printer of the platform's printer list (platform/printing), each a TppPrinterInfo whose
// capabilities (papers and bins) are read once and lined up: a "Custom" paper last, a "Default"
// bin first, no paper without a size.
//
// Entries are shared: a setup or a printer holding one keeps it alive when the list is rebuilt.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/StringList.h"
#include "platform/classes/SyncObjs.h"

// Six parallel text lists: papers (names, platform codes, portrait widths and heights in tenths of
// a millimetre, as decimal texts) and bins (names, codes).
class TppPrinterCapabilities : public TObject {
public:
  std::string PrinterName;
  TStringList PaperNames;
  TStringList Papers;
  TStringList PaperWidths;
  TStringList PaperHeights;
  TStringList BinNames;
  TStringList Bins;
};

class TppPrinterInfo : public TObject {
public:
  // Empty texts stand for absent ones.
  TppPrinterInfo(std::string Name, std::string Driver, std::string Device, std::string Port);
  ~TppPrinterInfo() override;

  const std::string& Name() const { return FName; }
  const std::string& Driver() const { return FDriver; }
  const std::string& Device() const { return FDevice; }
  const std::string& Port() const { return FPort; }
  // Cleared by a printer that could not open the entry: such entries are not used again.
  bool IsValid() const { return FIsValid; }
  void SetIsValid(bool Value) { FIsValid = Value; }

  // Read from the driver and lined up on the first call; the same object afterwards.
  TppPrinterCapabilities* GetCapabilities();

protected:
  // Fills the raw lists (the base: the platform driver of Device, when there is one).
  virtual void ReadCapabilities(TppPrinterCapabilities& Caps);
  // Lines the raw lists up (the base: the rules for installed printers).
  virtual void NormaliseCapabilities(TppPrinterCapabilities& Caps);

private:
  std::string FName, FDriver, FDevice, FPort;
  std::atomic<bool> FIsValid{true};
  TCriticalSection FLock;
  std::unique_ptr<TppPrinterCapabilities> FCapabilities;
};

// "Screen": device "Screen", no driver or port; a fixed paper list with "Custom" first and the
// one bin "Default".
class TppScreenPrinterInfo : public TppPrinterInfo {
public:
  TppScreenPrinterInfo();

protected:
  void ReadCapabilities(TppPrinterCapabilities& Caps) override;
  void NormaliseCapabilities(TppPrinterCapabilities&) override {}
};

class TppPrinterList : public TObject {
public:
  // Built at once, with the system default read.
  TppPrinterList();
  ~TppPrinterList() override;

  int GetCount();
  // The list names in order: "Default", "Screen", then the platform's printers.
  std::vector<std::string> Names();
  // The names as a text list, for scripting (valid until the list is rebuilt).
  TStrings* PrinterNames() { return &FNames; }
  // "Default" is the default printer's entry; other names are looked up ignoring case, then as
  // "<device> on <port>" by their device. A name that matches nothing answers the default
  // printer's entry when FallBackToDefault (null when it has none), else null.
  std::shared_ptr<TppPrinterInfo> GetPrinterInfo(const std::string& Name, bool FallBackToDefault = true);
  // Reads the system default printer again; "Screen" when there is none.
  std::string GetDefaultPrinterName();
  // The default printer's list name as last read (GetDefaultPrinterName reads it again).
  std::string DefaultPrinterName();
  // The list name of the first entry whose device is DeviceName ignoring case; empty when none.
  std::string PrinterNameForDevice(const std::string& DeviceName);
  // Frees the shared printer (it refers to entries), then builds the list from the platform's
  // printers, enumerated again.
  void RefreshPrinters();

private:
  std::shared_ptr<TppPrinterInfo> Find(const std::string& Name);
  TCriticalSection FLock;
  TStringList FNames;
  std::vector<std::shared_ptr<TppPrinterInfo>> FInfos;  // parallel to FNames
  std::string FDefaultPrinterName;
};

// The process-wide list, built on the first call; freed when the library shuts down.
TppPrinterList* GetPrinterList();
// "No Printer Installed" (driver and device "None"): what a setup reads without a list entry.
std::shared_ptr<TppPrinterInfo> GetNoPrinterInfo();

// The printer unit's lock: it serialises the creation of the process-wide printer objects.
TCriticalSection& ppPrinterUnitLock();
// Frees the list and the no-printer information (unit shutdown).
void FreePrinterList();
// Whether the process-wide list is made and not freed yet.
bool PrinterListExists();
