#include "ppreport/core/ppModuleTemplate.h"

#include "platform/classes/Filer.h"
#include "ppreport/core/ppPrintable.h"
#include "ppreport/core/ppRelatv.h"
#include "ppreport/core/ppTemplateRTTI.h"
#include "ppreport/core/ppUnits.h"

const TClassInfo* TppReportModuleTemplate::ModuleClass = nullptr;

TppReportModuleTemplate::TppReportModuleTemplate(TppRelative* AModule) : TppTemplate(AModule), FModule(AModule) {
  FRoot = AModule ? AModule->Owner() : nullptr;
}

TppReportModuleTemplate::~TppReportModuleTemplate() {
  delete FNewModule;
  delete FBackup;
}

namespace {
TppRelative* NewLike(const TppRelative* Module) {
  return dynamic_cast<TppRelative*>(Module->ClassInfo()->Create(nullptr));
}
}  // namespace

void TppReportModuleTemplate::New() {
  if (FModule)
    if (TppRelative* Empty = NewLike(FModule)) {
      FModule->Transfer(Empty);
      delete Empty;
    }
  TppTemplate::New();
}

bool TppReportModuleTemplate::BackupBeforeLoad() {
  TppTemplate::BackupBeforeLoad();
  if (!FModule) return false;
  FBackup = NewLike(FModule);
  if (!FBackup) return false;
  FBackup->AddDesignState(dsTemplateLoading);
  FBackup->Transfer(FModule);
  FModule->AddDesignState(dsTemplateLoading);
  return true;
}

void TppReportModuleTemplate::ComponentRead(TComponent* Component) {
  if (ModuleClass && Component->InheritsFrom(*ModuleClass) && !FNewModule)
    FNewModule = dynamic_cast<TppRelative*>(Component);
}

void TppReportModuleTemplate::EndLoadBackup(bool Success) {
  // Without a module read, the module keeps what it had.
  if (Success && FNewModule) FModule->Transfer(FNewModule);
  else if (FBackup) FModule->Transfer(FBackup);
  delete FNewModule;
  FNewModule = nullptr;
  delete FBackup;
  FBackup = nullptr;
  FModule->RemoveDesignState(dsTemplateLoading);
  TppTemplate::EndLoadBackup(Success);
}

void TppReportModuleTemplate::ReaderSetName(TReader& Reader, TComponent* Component, std::string& Name) {
  TppTemplate::ReaderSetName(Reader, Component, Name);
  if (!FModule) return;
  TComponent* Owner = FModule->Owner();
  if (!Owner || Component->Owner() != Owner || Reader.Root() != Owner) return;
  TComponent* Existing = Owner->FindComponent(Name);
  if (Existing && Existing != Component) Name = FModule->GetUniqueName(Component);
}

const TClassInfo& TppReportModuleTemplate::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppReportModuleTemplate>("TppReportModuleTemplate", &TppTemplate::StaticClassInfo());
  return Info;
}

void InitializeTemplateUnit() {
  RegisterPPClasses({&TppReportModuleTemplate::StaticClassInfo()});
  for (const TraRTTI* D : {&TraTppTemplateDBSettingsRTTI(), &TraTppCustomTemplateRTTI(), &TraTppTemplateRTTI(),
                           &TraTppReportTemplateRTTI()})
    TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeTemplateUnit() {
  for (const TraRTTI* D : {&TraTppTemplateDBSettingsRTTI(), &TraTppCustomTemplateRTTI(), &TraTppTemplateRTTI(),
                           &TraTppReportTemplateRTTI()})
    TraRTTIClassRegistry::UnregisterRTTIClass(*D);
  UnregisterPPClasses({&TppReportModuleTemplate::StaticClassInfo()});
}
