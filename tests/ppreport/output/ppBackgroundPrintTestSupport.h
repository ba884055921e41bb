#pragma once
// What the background print tests share: a report module (the owner a worker re-creates through
// its registered factory) holding a report whose print is recorded instead of generated, and a
// loop that pumps the main thread's messages until the manager says all requests are done.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/app/Application.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppAutoSearchRTTI.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppProdSettings.h"

namespace bgtest {

// What a copy saw when it printed.
struct TPrinted {
  std::thread::id Thread;
  std::string Marker, DeviceType, ArchiveFileName;
  bool ShowPrintDialog, ShowCancelDialog, ShowAutoSearchDialog, EnableProcessMessages, BackgroundActive;
  std::vector<std::string> Expressions;
};

struct TPrintLog {
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<TPrinted> Printed;
  bool GateOpen = true;  // closed: a print waits until it opens
  int Waiting = 0;

  void Add(TPrinted P) {
    std::unique_lock<std::mutex> G(Lock);
    ++Waiting;
    Changed.notify_all();
    Changed.wait(G, [this] { return GateOpen; });
    --Waiting;
    Printed.push_back(std::move(P));
  }
  void SetGate(bool Open) {
    std::lock_guard<std::mutex> G(Lock);
    GateOpen = Open;
    Changed.notify_all();
  }
  // Until Count prints wait at the closed gate (false after ten seconds).
  bool WaitAtGate(int Count) {
    std::unique_lock<std::mutex> G(Lock);
    return Changed.wait_for(G, std::chrono::seconds(10), [&] { return Waiting >= Count; });
  }
  std::vector<TPrinted> Snapshot() {
    std::lock_guard<std::mutex> G(Lock);
    return Printed;
  }
  void Reset() {
    std::lock_guard<std::mutex> G(Lock);
    Printed.clear();
    GateOpen = true;
  }
};

inline TPrintLog& PrintLog() {
  static TPrintLog L;
  return L;
}

// A report with a streamed "Marker" and autosearch criteria; its Print records what it sees.
class TBgReport : public TppCustomReport, public IppAutoSearchFields {
  DECLARE_CLASSINFO(TBgReport)
public:
  explicit TBgReport(TComponent* AOwner) : TppCustomReport(AOwner) {}
  ~TBgReport() override {
    BeforeDestruction();
  }
  const std::string& Marker() const { return FMarker; }
  void SetMarker(const std::string& V) { FMarker = V; }
  // A loaded definition arrives through Transfer.
  void Transfer(TPersistent* Source) override {
    TppCustomReport::Transfer(Source);
    if (auto* S = dynamic_cast<TBgReport*>(Source)) FMarker = S->FMarker;
  }

  void Print() override {
    TPrinted P{std::this_thread::get_id(), FMarker, DeviceType(), ArchiveFileName(), ShowPrintDialog(),
               ShowCancelDialog(), ShowAutoSearchDialog(), EnableProcessMessages(),
               BackgroundPrintSettings()->Active(), {}};
    for (TppAutoSearchField* F : Fields) P.Expressions.push_back(F->SearchExpression());
    PrintLog().Add(std::move(P));
  }

  int GetAutoSearchFieldCount() const override { return static_cast<int>(Fields.size()); }
  TppAutoSearchField* GetAutoSearchField(int Index) const override {
    return Index >= 0 && Index < GetAutoSearchFieldCount() ? Fields[Index] : nullptr;
  }
  TppAutoSearchField* CreateAutoSearchCriteria(const std::string& Pipeline, const std::string& FieldName,
                                               TppSearchOperatorType Operator, const std::string& Expression,
                                               bool Mandatory) override {
    auto* F = new TppAutoSearchField(this);
    F->SetDataPipelineName(Pipeline);
    F->SetFieldName(FieldName);
    F->SetSearchOperator(Operator);
    F->SetSearchExpression(Expression);
    F->SetMandatory(Mandatory);
    Fields.push_back(F);
    return F;
  }
  TppAutoSearchField* CreateAutoSearchField(const std::string& TableName, const std::string& FieldName,
                                            bool Mandatory, const std::string& Expression,
                                            TppSearchOperatorType Operator, TppDataType DataType,
                                            const std::string& FieldAlias) override {
    TppAutoSearchField* F = CreateAutoSearchCriteria("", FieldName, Operator, Expression, Mandatory);
    F->SetTableName(TableName);
    F->SetDataType(DataType);
    F->SetFieldAlias(FieldAlias);
    return F;
  }
  std::vector<TppAutoSearchField*> Fields;  // owned by the report as components

private:
  std::string FMarker;
};

inline const TClassInfo& TBgReport::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TBgReport> D("TBgReport", &TppCustomReport::StaticClassInfo());
    PublishProducerProperties(D);
    D.Prop("Marker", &TBgReport::Marker, &TBgReport::SetMarker);
    return TClassInfo(D);
  }();
  return Info;
}

// The owner as its designer left it: a report "Report" with FieldCount criteria.
class TBgModule : public TComponent {
  DECLARE_CLASSINFO(TBgModule)
public:
  explicit TBgModule(TComponent* AOwner, int FieldCount = 2) : TComponent(AOwner) {
    Report = new TBgReport(this);
    Report->SetName("Report");
    for (int I = 0; I < FieldCount; ++I)
      Report->CreateAutoSearchCriteria("Customers", "Name" + std::to_string(I), soEqual, "", false);
  }
  ~TBgModule() override { BeforeDestruction(); }
  TBgReport* Report;
};

inline const TClassInfo& TBgModule::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TBgModule>("TBgModule", &TComponent::StaticClassInfo());
  return Info;
}

// Pumps the main thread's messages until Done answers True (or a minute has gone).
template <class F>
bool PumpUntil(F&& Done) {
  const auto Until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > Until) return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace bgtest
