#pragma once
// Descriptors of the template classes: plain objects to scripts (no "Assign").
#include "ppreport/core/ppRTTI.h"

// "DataPipeline", "Name", "NameField", "TemplateField".
const TraRTTI& TraTppTemplateDBSettingsRTTI();
// "DatabaseSettings", "Description" (the template's name), "Owner" read-only; "FileName",
// "Format", "Offset", "SaveTo".
const TraRTTI& TraTppCustomTemplateRTTI();
// "Root", "ReadOnly" (the file cannot be written), "FileExtension", "FileFilter"; the methods
// "LoadFromDatabase", "LoadFromFile", "New", "SaveToDatabase", "SaveToFile".
const TraRTTI& TraTppTemplateRTTI();
// "Report", read-only.
const TraRTTI& TraTppReportTemplateRTTI();
