#pragma once
// Registration of the report's streamable classes. The data sets a form owns
// are listed by ListDataSets (lxreport/forms/LXFormDataSets.h).
// Registers the report component classes with the streaming registry.
void RegisterLXReportClasses();
void UnRegisterLXReportClasses();
