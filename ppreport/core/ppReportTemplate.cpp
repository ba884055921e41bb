// The template of a report: the report is moved into a backup before a load and back out of it
// when the load fails, so a damaged template never leaves a half-read report behind.
#include <algorithm>

#include "platform/classes/Filer.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppPrintable.h"
#include "ppreport/core/ppTemplate.h"

namespace {
constexpr uint16_t dsTemplateSaving = 0x100;
constexpr int ppdmTemplateLoadStart = 1146;
constexpr int ppdmTemplateLoadEnd = 1147;
constexpr int ppdmTemplateNewStart = 1154;
constexpr int ppdmTemplateNewEnd = 1155;
constexpr int ppdmTemplateSaveStart = 1156;

void Message(TppCustomReport* R, int Msg, TComponent* C) {
  R->SendDesignerMessage(Msg, ppdmMessageClass, reinterpret_cast<intptr_t>(C));
}
}  // namespace

TppReportTemplate::TppReportTemplate(TppCustomReport* AReport) : TppTemplate(AReport), FReport(AReport) {
  FRoot = AReport ? AReport->Owner() : nullptr;
}

TppReportTemplate::~TppReportTemplate() {
  delete FNewReport;
  delete FBackup;
}

TComponent* TppReportTemplate::GetDesigner() const { return FReport ? FReport->GetDesigner() : nullptr; }

bool TppReportTemplate::BackupBeforeLoad() {
  TppTemplate::BackupBeforeLoad();
  if (!FReport) return false;
  if (!FRoot) FRoot = FReport->Owner() ? FReport->Owner() : FReport;
  if (FReport->Printing()) return false;
  FNamesBefore.clear();
  if (TComponent* Owner = FReport->Owner())
    for (int I = 0; I < Owner->ComponentCount(); ++I)
      if (auto* C = dynamic_cast<TppCommunicator*>(Owner->Components(I)))
        FNamesBefore[C] = TNames{C->ClassInfo(), C->Name(), C->StoredUserName()};
  // The backup has no owner: the bands and objects it takes leave the root, so the names read
  // from the template do not clash with the definition being replaced.
  auto* Backup = static_cast<TppCustomReport*>(FReport->ClassInfo()->Create(nullptr));
  Backup->AddDesignState(dsTemplateLoading);
  Backup->Transfer(FReport);
  FBackup = Backup;
  FReport->AddDesignState(dsTemplateLoading);
  Message(FReport, ppdmTemplateLoadStart, FReport);
  return true;
}

void TppReportTemplate::ComponentRead(TComponent* Component) {
  auto* R = dynamic_cast<TppCustomReport*>(Component);
  if (!R || FNewReport) {
    // Only the first report of a template is its definition; whatever else it holds goes.
    FStray.push_back(Component);
    return;
  }
  FNewReport = R;
  R->AddDesignState(dsTemplateLoading);
}

void TppReportTemplate::EndLoadBackup(bool Success) {
  // A template without a report in it is as good as a failed one.
  Success = Success && FNewReport;
  for (TComponent* C : FStray) delete C;
  FStray.clear();
  if (Success) {
    FReport->Transfer(FNewReport);
    if (FReport->GetMainReport() != FReport) FReport->ResolveDataPipelines();
  }
  delete FNewReport;
  FNewReport = nullptr;
  if (!Success) {
    FreeLeftFromReading();
    if (FBackup) FReport->Transfer(FBackup);
    RestoreNames();
  }
  FNamesBefore.clear();
  delete FBackup;
  FBackup = nullptr;
  FReport->RemoveDesignState(dsTemplateLoading);
  Message(FReport, ppdmTemplateLoadEnd, FReport);
  TppTemplate::EndLoadBackup(Success);
  FReport->Reset();
  FReport->SetModified(false);
}

void TppReportTemplate::RestoreNames() {
  TComponent* Owner = FReport->Owner();
  if (!Owner) return;
  // Only what the owner holds now is looked at: no recorded pointer is followed.
  for (int I = 0; I < Owner->ComponentCount(); ++I) {
    auto* C = dynamic_cast<TppCommunicator*>(Owner->Components(I));
    auto It = C ? FNamesBefore.find(C) : FNamesBefore.end();
    if (It == FNamesBefore.end() || It->second.Class != C->ClassInfo()) continue;
    if (C->Name() != It->second.Name && !Owner->FindComponent(It->second.Name)) C->SetName(It->second.Name);
    if (C->StoredUserName() != It->second.UserName) C->StoreUserName(It->second.UserName);
  }
}

void TppReportTemplate::ReaderSetName(TReader& Reader, TComponent* Component, std::string& Name) {
  TppTemplate::ReaderSetName(Reader, Component, Name);
  TComponent* Owner = FReport->Owner();
  if (!Owner || Component->Owner() != Owner || Reader.Root() != Owner) return;
  TComponent* Existing = Owner->FindComponent(Name);
  if (!Existing || Existing == Component) return;
  FModifiedNames.emplace_back(Name, Component);
  Name = FReport->GetUniqueName(Component);
}

void TppReportTemplate::ReaderReferenceName(TReader&, std::string& Name) {
  for (const auto& [Old, Component] : FModifiedNames)
    if (SameTextAscii(Old, Name)) {
      Name = Component->Name();
      return;
    }
}

bool TppReportTemplate::BeginSave() {
  FReport->AddDesignState(dsTemplateSaving);
  Message(FReport, ppdmTemplateSaveStart, FReport);
  return true;
}

void TppReportTemplate::EndSave(bool Ok) {
  if (Ok) FReport->SetModified(false);
  FReport->RemoveDesignState(dsTemplateSaving);
}

void TppReportTemplate::FileNameChanged() {
  if (FReport) Message(FReport, ppdmComponentRename, nullptr);
}

void TppReportTemplate::DatabasePipelineChanged(TppDataPipeline* NewPipeline) {
  if (!FReport) return;
  TppDataPipeline* Old = FDatabaseSettings->DataPipeline();
  if (Old && Old != FReport->DataPipeline()) FReport->RemoveNotify(Old);
  if (NewPipeline) FReport->AddNotify(NewPipeline);
}

void TppReportTemplate::New() {
  Message(FReport, ppdmTemplateNewStart, FReport);
  FReport->NotifyPropertyChange4();
  // The new detail band keeps the old one's pipeline.
  const TppBand* Detail = FReport->GetDetailBand();
  TppDataPipeline* DetailPipeline = Detail ? Detail->GetDataPipeline() : nullptr;
  FReport->FreeBands();
  FReport->CreateDefaultBands();
  if (TppBand* NewDetail = DetailPipeline ? FReport->GetDetailBand() : nullptr) NewDetail->SetDataPipeline(DetailPipeline);
  FReport->SetTemplateName("");
  TppTemplate::New();
  Message(FReport, ppdmTemplateNewEnd, FReport);
}

const TClassInfo& TppReportTemplate::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppReportTemplate>("TppReportTemplate", &TppTemplate::StaticClassInfo());
  return Info;
}
