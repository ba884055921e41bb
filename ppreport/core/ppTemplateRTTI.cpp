#include "ppreport/core/ppTemplateRTTI.h"

#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppTemplate.h"

const TraRTTI& TraTppTemplateDBSettingsRTTI() {
  using S = TppTemplateDBSettings;
  static const TraRTTI Info = TraRTTIDef<S>("TraTppTemplateDBSettingsRTTI", TraTObjectRTTI())
                                  .Prop("DataPipeline", &S::DataPipeline, &S::SetDataPipeline)
                                  .Prop("Name", &S::Name, &S::SetName)
                                  .Prop("NameField", &S::NameField, &S::SetNameField)
                                  .Prop("TemplateField", &S::TemplateField, &S::SetTemplateField);
  return Info;
}

const TraRTTI& TraTppCustomTemplateRTTI() {
  using T = TppCustomTemplate;
  static const TraRTTI Info = TraRTTIDef<T>("TraTppCustomTemplateRTTI", TraTObjectRTTI())
                                  .Prop("DatabaseSettings", &T::DatabaseSettings)
                                  .Prop("Description", &T::GetTemplateName)
                                  .Prop("Owner", &T::Owner)
                                  .Prop("FileName", &T::FileName, &T::SetFileName)
                                  .Prop("Format", &T::Format, &T::SetFormat)
                                  .Prop("Offset", &T::Offset, &T::SetOffset)
                                  .Prop("SaveTo", &T::SaveTo, &T::SetSaveTo);
  return Info;
}

const TraRTTI& TraTppTemplateRTTI() {
  using T = TppTemplate;
  static const TraRTTI Info = TraRTTIDef<T>("TraTppTemplateRTTI", TraTppCustomTemplateRTTI())
                                  .Prop("Root", &T::Root)
                                  .Prop("ReadOnly", &T::IsFileReadOnly)
                                  .Prop("FileExtension", &T::FileExtension, &T::SetFileExtension)
                                  .Prop("FileFilter", &T::FileFilter, &T::SetFileFilter)
                                  .Method("LoadFromDatabase", &T::LoadFromDatabase)
                                  .Listed()
                                  .Method("LoadFromFile", &T::LoadFromFile)
                                  .Listed()
                                  .Method("New", &T::New)
                                  .Listed()
                                  .Method("SaveToDatabase", &T::SaveToDatabase)
                                  .Listed()
                                  .Method("SaveToFile", &T::SaveToFile)
                                  .Listed();
  return Info;
}

const TraRTTI& TraTppReportTemplateRTTI() {
  using T = TppReportTemplate;
  static const TraRTTI Info = TraRTTIDef<T>("TraTppReportTemplateRTTI", TraTppTemplateRTTI())
                                  .Prop("Report", [](const T& O) -> TComponent* { return O.Report(); });
  return Info;
}
