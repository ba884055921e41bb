// The report's columns: count, width and left edges (stored in thousandths of a millimetre), the
// column bands that come and go with more than one column, and the check for objects left beyond
// a narrowed width.
#include "platform/app/Dialogs.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinterSetup.h"

namespace {
// Language strings of the warnings.
constexpr int ppStrObjectsBeyondColumn = 292;
constexpr int ppStrColumnBandsBothHoldObjects = 293;
constexpr int ppStrColumnHeaderHoldsObjects = 294;
constexpr int ppStrColumnFooterHoldsObjects = 295;
constexpr int ppStrObjectsBeyondPage = 328;

bool AskOkCancel(int Message) {
  return MessageDlg(LanguageString(Message), mtWarning, mbOKCancel) == mrOk;
}
}  // namespace

int32_t TppCustomReport::PrintableWidth() const { return PrinterSetup()->PageDef()->GetmmPrintableWidth(); }

float TppCustomReport::GetColumnWidth() {
  return ConvertFromMicrons(FColumnWidth, FUnits, ppHorizontal, FUnits == utPrinterPixels ? GetPrinter() : nullptr);
}

int TppCustomReport::GetspColumnWidth() const {
  return static_cast<int>(Round(ConvertFromMicrons(FColumnWidth, utScreenPixels, ppHorizontal, nullptr)));
}

void TppCustomReport::SetColumns(int Value) {
  const int OldColumns = FColumns;
  const int32_t OldWidth = FColumnWidth;
  FColumns = Value < 1 ? 1 : Value;
  if (ReadingOrLoading()) return;
  bool Accept = true;
  const int32_t Printable = PrintableWidth();
  if (FColumns >= 2) {
    FColumnWidth = Printable / FColumns;
    Accept = ConfirmObjectsFit(Printable, ppStrObjectsBeyondColumn);
    if (Accept && !(DesignState() & dsDesigning) && OldColumns == 1 && !FBands.empty()) {
      for (TppBandType Kind : {btColumnHeader, btColumnFooter})
        if (TppBand* Band = CreateBand(Kind)) {
          Band->SetName(GetUniqueName(Band));
          Band->SetReport(this);
        }
    }
  } else if (GetReportDesigner()) {
    TppBand* Header = GetBand(btColumnHeader, 0);
    TppBand* Footer = GetBand(btColumnFooter, 0);
    FColumnWidth = Printable;
    if (OldColumns > 1 && Header && Footer) {
      const bool InHeader = Header->GetObjectCount() > 0, InFooter = Footer->GetObjectCount() > 0;
      if (InHeader || InFooter)
        Accept = AskOkCancel(InHeader && InFooter ? ppStrColumnBandsBothHoldObjects
                             : InHeader           ? ppStrColumnHeaderHoldsObjects
                                                  : ppStrColumnFooterHoldsObjects);
      if (Accept && !(DesignState() & dsDesigning)) {
        Header->Free();
        Footer->Free();
      }
    }
  } else {
    return;
  }
  if (Accept) {
    ColumnsChanged();
  } else {
    FColumns = OldColumns;
    FColumnWidth = OldWidth;
  }
}

void TppCustomReport::SetColumnWidth(float Value) {
  if (HasState(csReading)) {
    FOldColumnWidth = Value;
    return;
  }
  const int32_t Saved = FColumnWidth;
  FColumnWidth = ConvertToMicrons(FUnits, ppHorizontal, FUnits == utPrinterPixels ? GetPrinter() : nullptr, Value);
  if (HasState(csLoading)) return;
  const int32_t Printable = PrintableWidth();
  if (FColumnWidth > Printable) FColumnWidth = Printable;
  bool Accept = true;
  if (FColumnWidth <= 0 && FColumns >= 2) {
    FColumnWidth = 0;
    SetColumns(1);
    Accept = FColumns == 1;
  }
  if (FColumns > 1 && Accept) {
    Accept = ConfirmObjectsFit(Printable, ppStrObjectsBeyondColumn);
    if (Accept && FColumnWidth > 0) {
      const int N = static_cast<int>(Round(static_cast<long double>(Printable) / FColumnWidth));
      if (N < FColumns) FColumns = N < 1 ? 1 : N;
    }
  }
  if (Accept)
    ColumnsChanged();
  else
    FColumnWidth = Saved;
}

TStrings* TppCustomReport::GetColumnPositions() {
  if (ReadingOrLoading() || HasState(csWriting)) return &FColumnPositions;
  FEditedColumnPositions.OnChange = nullptr;
  FEditedColumnPositions.Assign(&FColumnPositions);
  ConvertListFromMicrons(FEditedColumnPositions, FUnits, ppHorizontal,
                         FUnits == utPrinterPixels ? GetPrinter() : nullptr);
  FEditedColumnPositions.OnChange = [this](TObject*) { ColumnPositionsChanged(); };
  return &FEditedColumnPositions;
}

void TppCustomReport::SetColumnPositions(const TStrings* Value) {
  if (ReadingOrLoading()) {
    FColumnPositions.Assign(Value);
    return;
  }
  FEditedColumnPositions.Assign(Value);
}

void TppCustomReport::ColumnPositionsChanged() {
  FColumnPositions.Assign(&FEditedColumnPositions);
  if (ReadingOrLoading()) return;
  ConvertListToMicrons(FColumnPositions, FUnits, ppHorizontal, FUnits == utPrinterPixels ? GetPrinter() : nullptr);
  Reset();
}

void TppCustomReport::ColumnsChanged() {
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->SizeChanged();
  SendDesignerMessage(ppdmColumnsChange, ppdmMessageClass, 0);
  Reset();
}

void TppCustomReport::PageDefChanged(TObject* Sender, TppPageDef* PageDef, bool& Valid) {
  TppProducer::PageDefChanged(Sender, PageDef, Valid);
  if (PageDef && PrintableWidth() != PageDef->GetmmPrintableWidth())
    Valid = ConfirmObjectsFit(PageDef->GetmmPrintableWidth(), ppStrObjectsBeyondPage);
}

bool TppCustomReport::ConfirmObjectsFit(int32_t Width, int Message) {
  if (!GetReportDesigner()) return true;
  if (!CheckObjectsBeyondWidth(cmCheck, Width)) return true;
  if (!AskOkCancel(Message)) return false;
  CheckObjectsBeyondWidth(cmFree, Width);
  return true;
}

bool TppCustomReport::CheckObjectsBeyondWidth(TCheckMode Mode, int32_t Width) {
  for (TppBand* B : std::vector<TppBand*>(FBands)) {
    const int32_t Limit = B->IsColumnBand() && FColumns > 1 ? FColumnWidth : Width;
    for (int I = B->GetObjectCount() - 1; I >= 0; --I) {
      TppComponent* C = B->GetObjects(I);
      if (C->mmLeft() <= Limit) continue;
      if (Mode == cmCheck) return true;
      C->Free();
    }
  }
  return false;
}
