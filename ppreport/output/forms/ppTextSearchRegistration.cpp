#include "ppreport/output/forms/ppTextSearchRegistration.h"

#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "ppreport/output/forms/ppPreview.h"
#include "ppreport/output/forms/ppTextSearchPreview.h"
#include "ppreport/output/ppTextSearchEngineRegistry.h"
#include "ppreport/output/ppTextSearchHighlighter.h"
#include "ppreport/output/ppTextSearchRichTextEngine.h"
#include "ppreport/output/ppTextSearchRichTextHighlighter.h"
#include "ppreport/output/ppTextSearchToolbox.h"

namespace {
int RegisterCount = 0;
TppTextSearchToolbox& Toolbox() {
  static TppTextSearchToolbox T;
  return T;
}
}  // namespace

void RegisterTextSearch() {
  if (RegisterCount++ > 0) return;
  TppPreviewPlugIn::RegisterPlugInClass(TppTextSearchPreview::StaticClassInfo());
  TppTextSearchEngineRegistry::Register(&TppTextSearchRichTextEngine::EngineClass());
  TppTextSearchDrawCommandHighlightRegistry::Register<TppDrawText, TppTextSearchSelectionHighlighter>();
  TppTextSearchDrawCommandHighlightRegistry::Register<TppDrawRichText, TppTextSearchRichTextHighlighter>();
  TppTextSearchToolboxRegistry::SetToolboxClass(&Toolbox());
}

void UnregisterTextSearch() {
  if (RegisterCount == 0 || --RegisterCount > 0) return;
  TppTextSearchToolboxRegistry::SetToolboxClass(nullptr);
  TppTextSearchDrawCommandHighlightRegistry::UnRegister<TppDrawRichText, TppTextSearchRichTextHighlighter>();
  TppTextSearchDrawCommandHighlightRegistry::UnRegister<TppDrawText, TppTextSearchSelectionHighlighter>();
  TppTextSearchEngineRegistry::UnRegister(&TppTextSearchRichTextEngine::EngineClass());
  TppPreviewPlugIn::UnregisterPlugInClass();
}
