#pragma once
// Reports that run: a printable that writes down where it was printed, and a report builder on
// A4 with 10 mm margins, lengths in tenths of a millimetre.
#include <functional>
#include <string>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXController.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/VexaRpt.h"
#include "platform/data/MemDataSet.h"
#include "tests/lxreport/LXReportTestSupport.h"

namespace lxtest {

// Each print appends "Name p<page> x,y" (the band's origin) to Log; Unfinished prints report
// unfinished content before it finishes.
class TProbe : public TLXPrintable {
public:
  TProbe(TComponent* Owner, std::vector<std::string>* Log) : TLXPrintable(Owner), FLog(Log) {}
  void PrintAt(int32_t X, int32_t Y) override {
    TLXPrintable::PrintAt(X, Y);
    std::string Text = Tag_ + " p" + std::to_string(Report()->PageNumber()) + " " + std::to_string(X) + "," +
                       std::to_string(Y);
    if (Extra) Text += Extra();
    FLog->push_back(Text);
    SetFinished(Unfinished <= 0);
    if (Unfinished > 0) --Unfinished;
  }
  std::string Tag_;
  int Unfinished = 0;
  std::function<std::string()> Extra;

private:
  std::vector<std::string>* FLog;
};

// A memory data set of (Country, Town) records owned by Owner, open.
inline TMemoryDataSet* Places(TComponent* Owner, const std::vector<std::pair<std::string, std::string>>& Rows) {
  auto* D = new TMemoryDataSet(Owner);
  D->SetName("Places");
  D->FieldDefs().Add("Country", ftString, 20);
  D->FieldDefs().Add("Town", ftString, 20);
  for (const auto& [C, T] : Rows) D->AppendRecord({C, T});
  D->Open();
  return D;
}

class TEngineScope {
public:
  TEngineScope() : Report(NewReport(&Form)) {
    Report->SetUnits(TLXUnit::Native);
    Report->SetName("Rep");
  }
  // The printers a run leaves with the report are the caller's.
  ~TEngineScope() {
    if (Report)
      for (TLXPrinter* P : std::vector<TLXPrinter*>(Report->Printers())) delete P;
  }
  // A band of the type, Height tall, with a probe that logs under Tag (the band's name when empty).
  template <class T = TLXBand>
  T* Band(TLXBandType Type, long double Height, const std::string& Tag = "") {
    T* B;
    if constexpr (std::is_same_v<T, TLXBand>) {
      B = Report->NewBand(Type);
    } else {
      B = new T(&Form);
      B->SetName(FreeComponentName(&Form, B->BandNamePrefix()));
      B->SetParent(Report.get());
    }
    B->Size()->SetUnits(TLXUnit::Native);
    B->Size()->SetHeight(Height);
    auto* P = new TProbe(&Form, &Log);
    P->Tag_ = Tag.empty() ? B->Name() : Tag;
    P->SetParent(B);
    return B;
  }
  static TProbe* ProbeOf(TLXCustomBand* B) { return dynamic_cast<TProbe*>(B->Controls(0)); }
  // OnNeedData over Count records, numbered from 1 in Record.
  void Records(int Count) {
    Report->OnNeedData = [this, Count](TObject*, bool& More) {
      More = Record < Count;
      if (More) ++Record;
    };
  }

  TGeometryScope Geometry;
  TComponent Form{nullptr};
  std::vector<std::string> Log;
  int Record = 0;
  TReportPtr Report;
};

}  // namespace lxtest
