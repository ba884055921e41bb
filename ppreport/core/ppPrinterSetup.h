#pragma once
// What a pp report says about paper and printer. Lengths live in a TppPageDef in thousandths of a
// millimetre and are shown in the setup's Units. Geometry changes are offered to the owner
// (OnPageDefChange) before they are made and announced after (OnLayoutChange); other changes are
// announced through OnPrinterSetupChange. While the owner is being read from a stream, or while a
// printer updates the setup (change tracking off), setters store without asking or announcing.
// Every member holds the setup's lock, so a background print worker and the main thread may share
// one setup; callbacks run after the lock is let go (the printer they reach takes its own).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/classes/SyncObjs.h"
#include "platform/graphics/Types.h"
#include "platform/printing/Printers.h"
#include "ppreport/core/ppTypes.h"

class TppCustomPrinter;
class TppPrinterInfo;
class TStrings;

// The paper as oriented and its margins, in thousandths of a millimetre.
class TppPageDef : public TPersistent {
  DECLARE_CLASSINFO(TppPageDef)
public:
  int32_t mmHeight() const { return FHeight; }
  void SetmmHeight(int32_t V) { FHeight = V; }
  int32_t mmWidth() const { return FWidth; }
  void SetmmWidth(int32_t V) { FWidth = V; }
  int32_t mmMarginLeft() const { return FMarginLeft; }
  void SetmmMarginLeft(int32_t V) { FMarginLeft = V; }
  int32_t mmMarginRight() const { return FMarginRight; }
  void SetmmMarginRight(int32_t V) { FMarginRight = V; }
  int32_t mmMarginTop() const { return FMarginTop; }
  void SetmmMarginTop(int32_t V) { FMarginTop = V; }
  int32_t mmMarginBottom() const { return FMarginBottom; }
  void SetmmMarginBottom(int32_t V) { FMarginBottom = V; }

  using TPersistent::Assign;
  // From a page definition: the six values.
  void Assign(const TPersistent* Source) override;
  bool IsEqual(const TppPageDef& Other) const;
  // Left and top margins to width and height less the right and bottom margins.
  TRect GetPrintableRect() const;
  int32_t GetmmPrintableWidth() const { return FWidth - FMarginLeft - FMarginRight; }
  int32_t GetmmPrintableHeight() const { return FHeight - FMarginTop - FMarginBottom; }
  // Width and height in screen pixels, to the nearest pixel.
  int GetspWidth() const;
  int GetspHeight() const;

private:
  int32_t FHeight = 0, FWidth = 0;
  int32_t FMarginLeft = 0, FMarginRight = 0, FMarginTop = 0, FMarginBottom = 0;
};

// Sender, the candidate page definition, and whether it is accepted (True on entry).
using TppPageDefChangeEvent = TEvent<void(TObject* Sender, TppPageDef* aPageDef, bool& aValid)>;
// Sender, and the printer whose resolution counts printer pixels (null on entry: the shared printer).
using TppGetPrinterEvent = TEvent<void(TObject* Sender, TppCustomPrinter*& aPrinter)>;

class TppPrinterSetup : public TPersistent {
  DECLARE_CLASSINFO(TppPrinterSetup)
public:
  // Owner: the page or report the setup belongs to (only asked whether it is being read), or none.
  // Letter where the decimal separator is a period, else A4; quarter-inch margins; portrait.
  explicit TppPrinterSetup(TComponent* Owner = nullptr);
  ~TppPrinterSetup() override;
  TppPrinterSetup(const TppPrinterSetup&) = delete;
  TppPrinterSetup& operator=(const TppPrinterSetup&) = delete;

  // Called when a page that owns the setup has been read.
  virtual void Changed() {}

  // ---- published
  // "Default" is the system default printer; "Current" means "Default". A name the printer list
  // does not know becomes the default printer's; with no entry at all nothing changes. On an
  // active setup the paper follows to the new printer (by code, else by size).
  std::string PrinterName() const;
  void SetPrinterName(const std::string& Value);
  // Reading resolves a paper code read from a stream, and turns "Custom" into the listed paper
  // that fits the size when there is one. Setting a listed name takes its size (an "Envelope"
  // turns the page to landscape) once the owner accepts it; "Custom" only names the paper.
  std::string PaperName() const;
  void SetPaperName(const std::string& Value);
  // Lengths in Units; negative values are ignored.
  float PaperWidth() const;
  void SetPaperWidth(float Value);
  float PaperHeight() const;
  void SetPaperHeight(float Value);
  float MarginLeft() const;
  void SetMarginLeft(float Value);
  float MarginRight() const;
  void SetMarginRight(float Value);
  float MarginTop() const;
  void SetMarginTop(float Value);
  float MarginBottom() const;
  void SetMarginBottom(float Value);
  // A change exchanges width and height, once the owner accepts the exchanged page.
  TPrinterOrientation Orientation() const;
  void SetOrientation(TPrinterOrientation Value);
  std::string BinName() const;
  void SetBinName(const std::string& Value);  // "Current" means "Default"
  int Copies() const;
  void SetCopies(int Value);  // below 1 ignored
  bool Collation() const;
  void SetCollation(bool Value);
  TppDuplexType Duplex() const;
  void SetDuplex(TppDuplexType Value);
  std::string DocumentName() const;
  void SetDocumentName(const std::string& Value);

  // ---- scripting and the library
  // Whether changes are checked and announced: change tracking on and the owner not being read.
  bool Active() const;
  bool ChangeTracking() const;
  void SetChangeTracking(bool Value);
  TComponent* Owner() const { return FOwner; }
  TppUnitType Units() const;
  // A change of unit snaps a listed paper to its listed size.
  void SetUnits(TppUnitType Value);
  TppPageDef* PageDef() const { return FPageDef.get(); }
  // The printer list's entry for PrinterName (null when the list has none).
  std::shared_ptr<TppPrinterInfo> PrinterInfo() const;
  TppPrinterInfo* GetPrinterInfo() const { return PrinterInfo().get(); }
  // PrinterName with "Default" replaced by the default printer's name.
  std::string PrinterDescription() const;
  TStrings* PrinterNames() const;
  // The printer's capability lists (of "No Printer Installed" without an entry).
  TStrings* PaperNames() const;
  TStrings* BinNames() const;
  float PrintableWidth() const;
  float PrintableHeight() const;

  // Width and height in thousandths of a millimetre at once (a printer reading its device mode
  // back): offered and announced as the single lengths are; negative values are ignored.
  void SetmmPaperSize(int32_t Width, int32_t Height);

  // The platform code of the paper: of PaperName among the printer's papers, else of the paper
  // that fits the size; 256 when neither is listed; 0 without a printer entry.
  int GetPaperSizeCode() const;

  using TPersistent::Assign;
  // From a setup only (else the class library's error): every setting, the stored paper name and
  // the units; no callback, tracking and callbacks stay.
  void Assign(const TPersistent* Source) override;
  // Assign, and a paper code read from a stream and not resolved yet.
  void CopySettings(const TppPrinterSetup& Source);
  // The same printer, bin, collation, copies, document, duplex, orientation and page definition.
  bool IsEqual(const TppPrinterSetup& Other) const;
  // The same printer, orientation and stored paper name.
  bool IsSamePaper(const TppPrinterSetup& Other) const;
  // Puts the paper width and height read from an older stream into the page definition.
  void ApplyPendingPaperSize();

  // The name of the listed paper with Code; false without a printer entry or when not listed.
  bool PaperNameForCode(int Code, std::string& Name) const;
  // The first listed paper within a millimetre of Height x Width (in Units, as oriented);
  // "Custom" when none fits; the current name without a printer entry.
  std::string PaperNameForSize(float Height, float Width) const;
  // The listed size of Name in Units, as oriented; Width and Height unchanged when not listed.
  void PaperSizeForName(const std::string& Name, float& Width, float& Height) const;

  // "mmMarginBottom" ... "mmPaperWidth" and "PaperSize" (the paper code), against an ancestor only
  // when they differ.
  void DefineProperties(TFiler* Filer) override;

  TppPageDefChangeEvent OnPageDefChange;
  TNotifyEvent OnLayoutChange;
  TNotifyEvent OnPrinterSetupChange;
  TppGetPrinterEvent OnGetPrinter;

private:
  bool OwnerReading() const;
  std::shared_ptr<TppPrinterInfo> CapabilityInfo() const;
  const class IppPrinterResolution* ConversionPrinter() const;
  float FromMicrons(int32_t Value, int Axis) const;
  int32_t ToMicrons(float Value, int Axis) const;
  void ResolvePendingPaperCode() const;
  std::string ResolvedPaperName() const;
  std::string NameForMicrons(int32_t Width, int32_t Height, TPrinterOrientation Orientation) const;
  // The listed portrait size of Name in tenths of a millimetre; false when not listed.
  bool ListedSize(const std::string& Name, int& Width, int& Height) const;
  // Offers Candidate to the owner; True when accepted.
  bool Validate(TppPageDef& Candidate);
  // Lets a length change through validation; answers whether it was committed.
  bool ChangeLength(void (TppPageDef::*Setter)(int32_t), int32_t Value);
  void Notify(const TNotifyEvent& Event);

  mutable TCriticalSection FLock;
  TComponent* FOwner;
  std::string FPrinterName = "Default";
  mutable std::string FPaperName = "Custom";
  TPrinterOrientation FOrientation = poPortrait;
  std::string FBinName = "Default";
  int FCopies = 1;
  bool FCollation = true;
  TppDuplexType FDuplex = dpNone;
  std::string FDocumentName;
  TppUnitType FUnits = utInches;
  bool FTracking = true;
  std::unique_ptr<TppPageDef> FPageDef;
  std::unique_ptr<TppPageDef> FScratch;
  std::shared_ptr<TppPrinterInfo> FPrinterInfo;
  mutable int FPendingPaperCode = 0;
  bool FHasPendingWidth = false, FHasPendingHeight = false;
  float FPendingWidth = 0, FPendingHeight = 0;
};
