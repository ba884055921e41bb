#pragma once
// Controllers and groups: the tree that decides which bands print for each record. The report
// owns the top controller; every sub-detail band owns one whose detail band is itself;
// controllers and groups name their master (the report, a controller or a controller band).
// CollectChildren rebuilds the tree from the masters; ListBands gives the bands in the order a
// run meets them, which is the report's band order (OrderBands).
//
// A run: PrepareRun (groups compile their expressions), Run (the record walk: header, group
// headers, controllers printed before the detail, the detail, those after it, group footers when
// a group expression changes value, the footer), UnprepareRun.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXEvValue.h"
#include "platform/classes/Classes.h"

class TCustomVexaRep;
class TDataSet;
class TLXGroup;
class TLXPrintable;
class TLXEvaluator;
class TLXEvElement;
class TLXEvEnvironment;
class TQuery;

// The data set is assigned and open.
bool DataSetReady(const TDataSet* D);

class TLXCustomController : public TComponent {
  DECLARE_CLASSINFO(TLXCustomController)
public:
  // Made without a component owner; NamingOwner is the component whose Name names the
  // controller's report variable (the report, or the controller band).
  explicit TLXCustomController(TComponent* NamingOwner);
  ~TLXCustomController() override;

  TComponent* NamingOwner() const { return FNamingOwner; }
  TComponent* Master() const { return FMaster; }
  // Accepted when Value is a report, a controller or a controller band (not itself).
  void AttachMaster(TComponent* Value);
  TCustomVexaRep* ParentReport() const { return FParentReport; }
  void SetParentReport(TCustomVexaRep* Value) { FParentReport = Value; }
  // What stands for this controller when others name it as their master.
  TComponent* SelfCheck() const { return FSelfCheck; }
  void SetSelfCheck(TComponent* Value) { FSelfCheck = Value; }
  bool PrintIfEmpty() const { return FPrintIfEmpty; }
  void SetPrintIfEmpty(bool V) { FPrintIfEmpty = V; }
  bool PrintBefore() const { return FPrintBefore; }
  virtual void SetRunsBefore(bool Value) { FPrintBefore = Value; }

  const std::vector<TLXCustomController*>& BeforeList() const { return FBeforeList; }
  const std::vector<TLXCustomController*>& AfterList() const { return FAfterList; }
  const std::vector<TLXGroup*>& GroupList() const { return FGroupList; }
  void AddBeforeController(TLXCustomController* C) { FBeforeList.push_back(C); }
  void AddAfterController(TLXCustomController* C) { FAfterList.push_back(C); }

  // Rebuilds the before, after and group lists from the components whose master this is.
  virtual void CollectChildren();
  // Appends this controller's bands, each with its child chain, to the report's new band order.
  virtual void ListBands() {}
  // Adds the data set it walks to the report's run list (nothing here).
  virtual void ListDataSets() {}

  // ---- A run
  virtual void LocalValue(TLXEvValue& V) { V.Kind = evError; }
  // Clears the notify targets, prepares the child controllers and compiles the groups.
  virtual void PrepareRun();
  virtual void UnprepareRun();
  // Here: RunEmpty when PrintIfEmpty.
  virtual void Run();
  virtual void RunEmpty();
  virtual void RunBeforeControllers();
  virtual void RunAfterControllers();
  virtual void UpdateLocalValue();
  TLXEvElement* LocalEntry() const { return FLocalEntry; }

  // Groups: whether one broke (an outer break breaks every inner group); their headers (first
  // to last) and footers (last to first) of those that broke.
  bool DetectGroupBreaks();
  // At a new column or page: the open groups that ask for it print their headers again, and
  // every open group inside them. While group headers or footers are being printed, only the
  // groups outside the changing ones (those that go on) are reprinted.
  void ReprintGroupHeaders();
  void PrintGroupHeaders();
  void PrintGroupFooters();
  void InvertGroupBreaks();

  // Printables told when the detail advances (code 0).
  const std::vector<TLXPrintable*>& NotifyList() const { return FNotifyList; }
  void AddNotifyTarget(TLXPrintable* P);
  void ClearNotifyTargets();
  void NotifyTargets(int32_t Code);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The run was cancelled, from the report's side or the printer's.
  bool RunCancelled() const;
  // Lets the preview, the progress window and a cancel through during a run.
  static void ProcessMessages();
  // The same between records, when 20 ms have passed since messages were last handled: handling
  // them costs more than a record, and 20 ms keep a window responsive and a cancel quick.
  static void ProcessMessagesBetweenRecords();

private:
  void CollectFrom(TComponent* Owner, int Depth);
  // Every group after Index takes its current value and breaks.
  void BreakGroupsAfter(size_t Index);
  TLXEvElement* FLocalEntry = nullptr;
  TComponent* FNamingOwner;
  TComponent* FMaster = nullptr;
  TCustomVexaRep* FParentReport = nullptr;
  TComponent* FSelfCheck;
  std::vector<TLXCustomController*> FBeforeList, FAfterList;
  std::vector<TLXGroup*> FGroupList;
  std::vector<TLXPrintable*> FNotifyList;
  bool FPrintIfEmpty = true;
  bool FPrintBefore = false;
  // Group headers or footers of a change are being printed.
  bool FChangingGroups = false;
};

// A controller over a data set (or OnNeedData) with a header, a detail and a footer band.
class TLXController : public TLXCustomController {
  DECLARE_CLASSINFO(TLXController)
public:
  using TLXCustomController::TLXCustomController;

  TDataSet* DataSet() const { return FDataSet; }
  void AttachDataSet(TDataSet* Value);
  TLXCustomBand* HeaderBand() const { return FHeaderBand; }
  void SetHeaderBand(TLXCustomBand* Value);
  TLXCustomBand* DetailBand() const { return FDetailBand; }
  void SetDetailBand(TLXCustomBand* Value);
  TLXCustomBand* FooterBand() const { return FFooterBand; }
  void SetFooterBand(TLXCustomBand* Value);
  int32_t DetailNumber() const { return FDetailNumber; }
  bool PushParameters() const { return FPushParameters; }

  // Header; groups; the bands of the controllers printed before the detail; the detail; those
  // printed after it; the group footers from the innermost out; the footer.
  void ListBands() override;
  void ListDataSets() override;
  void PrepareRun() override;
  void RunEmpty() override;
  // The record walk.
  void Run() override;

  TLXOnNeedDataEvent OnNeedData;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  int32_t FDetailNumber = 0;
  bool FPushParameters = false;

private:
  TDataSet* FDataSet = nullptr;
  TLXCustomBand* FHeaderBand = nullptr;
  TLXCustomBand* FDetailBand = nullptr;
  TLXCustomBand* FFooterBand = nullptr;
};

// A group header band with the expression whose change of value starts a new group, and the
// footer band that closes it.
class TLXGroup : public TLXCustomBand {
  DECLARE_CLASSINFO(TLXGroup)
public:
  explicit TLXGroup(TComponent* AOwner);

  const std::string& Expression() const { return FExpression; }
  // Compiled at the next run.
  void SetExpression(const std::string& V) { FExpression = V; }
  TLXBand* FooterBand() const { return FFooterBand; }
  // Makes the band a group footer.
  void SetFooterBand(TLXBand* Value);
  TComponent* Master() const { return FMaster; }
  // Only a controller band or a report; anything else (none included) is ignored.
  void SetMaster(TComponent* Value);
  bool ReprintOnNewPage() const { return FReprintOnNewPage; }
  void SetReprintOnNewPage(bool V) { FReprintOnNewPage = V; }
  // Its header has printed and its footer not yet.
  bool Open() const { return FOpen; }
  ~TLXGroup() override;

  void SetParent(THeadlessWinControl* AParent) override;

  // ---- A run
  void PrepareGroup();
  void UnprepareGroup();
  void PrintGroupHeader();
  void PrintGroupFooter();
  // Broken := the value differs from the last one (always at the first test).
  void EvaluateBreak();
  // Broken := it reprints on a new page, is open and its header is on another page.
  void CheckReprint();
  // Takes the current value and breaks.
  void ForceBreak();
  bool Broken() const { return FBroken; }
  void SetBroken(bool V) { FBroken = V; }
  bool HasValue() const { return FHasValue; }
  void SetHasValue(bool V) { FHasValue = V; }
  const TLXEvValue& LastValue() const { return FLastValue; }
  int32_t HeaderPage() const { return FHeaderPage; }
  TLXEvaluator* GroupEvaluator() const { return FEvaluator.get(); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool FOpen = false;

private:
  std::unique_ptr<TLXEvaluator> FEvaluator;
  TLXEvValue FLastValue;
  bool FHasValue = false, FBroken = false;
  int32_t FHeaderPage = 1;
  std::string FExpression;
  TLXBand* FFooterBand = nullptr;
  TComponent* FMaster = nullptr;
  bool FReprintOnNewPage = false;
};

// Fills the query's parameters named like entries of the environment (letter case ignored) with
// their values, by the parameter's type; reopens the query.
void PushReportVariablesToQuery(TQuery* Query, TLXEvEnvironment* Environment);
