#pragma once
// The template of a report's code module (the container of its scripted event code), stored and
// loaded like the report's own template. The code-module class belongs to a scripting library
// this system does not have: no component read is ever taken as a module, so a load gives the
// module its own content back, and New empties it.
#include "ppreport/core/ppTemplate.h"

class TppRelative;

class TppReportModuleTemplate : public TppTemplate {
  DECLARE_CLASSINFO(TppReportModuleTemplate)
public:
  explicit TppReportModuleTemplate(TppRelative* AModule);
  ~TppReportModuleTemplate() override;

  TppRelative* Module() const { return FModule; }
  // The class a component read must be to become the module; none here.
  static const TClassInfo* ModuleClass;

  void New() override;

protected:
  void ComponentRead(TComponent* Component) override;
  void ReaderSetName(TReader& Reader, TComponent* Component, std::string& Name) override;
  bool BackupBeforeLoad() override;
  void EndLoadBackup(bool Success) override;

private:
  TppRelative* FModule;
  TppRelative* FNewModule = nullptr;
  TppRelative* FBackup = nullptr;
};
