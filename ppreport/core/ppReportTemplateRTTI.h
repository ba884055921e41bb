#pragma once
// A report's definition to and from a stream without knowing the report's class: the template is
// reached through the producer's descriptor ("Template"). Background printing moves a report into
// a copy made on its worker thread this way. Stateless.
class TPersistent;
class TStream;
class TppTemplate;

class TppReportTemplateRTTI {
public:
  // Nothing happens without a descriptor, a "Template" name or a template.
  static void SaveToStream(TPersistent* Producer, TStream& Stream);
  static void LoadFromStream(TPersistent* Producer, TStream& Stream);
  // The producer's template through its descriptor, or null.
  static TppTemplate* GetTemplate(TPersistent* Producer);
};
