#include "ppreport/core/ppProdRTTI.h"

#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppRTTIDef.h"

const TraRTTI& TraTppProducerRTTI() {
  using P = TppProducer;
  static TraRTTIDef<P> Def("TraTppProducerRTTI", TraTppRelativeRTTI());
  static const TraRTTI Info =
      Def.Prop("AllowPrintToArchive", &P::AllowPrintToArchive, &P::SetAllowPrintToArchive)
          .Prop("AllowPrintToFile", &P::AllowPrintToFile, &P::SetAllowPrintToFile)
          .Prop("ArchiveFileName", &P::ArchiveFileName, &P::SetArchiveFileName)
          .Prop("BackgroundPrintSettings", &P::BackgroundPrintSettings, &P::SetBackgroundPrintSettings)
          .Prop("CancelDialog", &P::CancelDialog)
          .Prop("Converted", &P::Converted)
          .Prop("ConvertedFromPre40", &P::ConvertedFromPre40)
          .Prop("CurrentPage", &P::CurrentPage)
          .Prop("DeviceType", &P::DeviceType, &P::SetDeviceType)
          .Prop("EnableProcessMessages", &P::EnableProcessMessages)
          .ReadOnly(false)
          .Prop("FileDevice", &P::FileDevice)
          .DescribeClass("Icon", nullptr, false)  // no class record for icons; served where published
          .Prop("Language", &P::Language, &P::SetLanguage)
          .ReadOnly()
          .Prop("LanguageIndex", &P::LanguageIndex)
          .Prop("ModalCancelDialog", &P::ModalCancelDialog, &P::SetModalCancelDialog)
          .Prop("ModalPreview", &P::ModalPreview, &P::SetModalPreview)
          .Prop("PDFSettings", &P::PDFSettings, &P::SetPDFSettings)
          .Prop("PreviewForm", &P::PreviewForm)
          .Prop("PreviewFormSettings", &P::PreviewFormSettings, &P::SetPreviewFormSettings)
          .ReadOnly()
          .Prop("PrintDialog", &P::PrintDialog)
          .Prop("Printer", [](const P& S) { return const_cast<P&>(S).GetPrinter(); })
          .Prop("PrinterDevice", &P::PrinterDevice)
          .Prop("PrinterSetup", &P::PrinterSetup)
          .Prop("Printing", &P::Printing)
          .Prop("Producing", &P::Producing)
          .Prop("Publisher", &P::Publisher)
          .Prop("SavePrinterSetup", &P::SavePrinterSetup, &P::SetSavePrinterSetup)
          .Prop("ShowAutoSearchDialog", &P::ShowAutoSearchDialog, &P::SetShowAutoSearchDialog)
          .Prop("ShowCancelDialog", &P::ShowCancelDialog, &P::SetShowCancelDialog)
          .Prop("ShowPrintDialog", &P::ShowPrintDialog, &P::SetShowPrintDialog)
          .Prop("TextFileName", &P::TextFileName, &P::SetTextFileName)
          .Prop("TextFileType", &P::TextFileType, &P::SetTextFileType)
          .Prop("TextSearchSettings", &P::TextSearchSettings, &P::SetTextSearchSettings)
          .ReadOnly()
          .Prop("Version", &P::Version)
          .Prop("VersionNo", &P::VersionNo)
          .Method("Cancel", &P::Cancel)
          .Event("AfterPrint", ciProducerAfterPrint)
          .Event("BeforePrint", ciProducerBeforePrint)
          .Event("OnAssignPreviewFormSettings", ciProducerAssignPreviewFormSettings)
          .Event("OnCancel", ciProducerCancel)
          .Event("OnCancelDialogClose", ciProducerCancelDialogClose)
          .Event("OnCancelDialogCreate", ciProducerCancelDialogCreate)
          .Event("OnPageRequest", ciProducerPageRequest)
          .Event("OnPreviewFormClose", ciProducerPreviewFormClose)
          .Event("OnPreviewFormCreate", ciProducerPreviewFormCreate)
          .Event("OnPrintDialogClose", ciProducerPrintDialogClose)
          .Event("OnPrintDialogCreate", ciProducerPrintDialogCreate)
          .Event("OnSaveText", ciProducerSaveText, {{"Text", vkString, nullptr, "", true}});
  return Info;
}
