// The report in streams: its published settings, the extra properties of older versions, the
// steps after loading and the conversion of reports stored by older versions.
#include <algorithm>

#include "platform/classes/Filer.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppReaderUtils.h"
#include "ppreport/core/ppTemplate.h"

namespace {
// Versions whose streams need converting.
constexpr int ppVersionAutoStop = 4100;      // before it the engine did not stop by itself
constexpr int ppVersionReportMicrons = 3000;  // before it lengths were in the report's units
}  // namespace

void TppCustomReport::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  TppProducer::GetChildren(Proc, Root);
  std::vector<TppBand*> InGroups;
  for (TppGroup* G : FGroups) {
    InGroups.push_back(G->HeaderBand());
    InGroups.push_back(G->FooterBand());
  }
  for (TppBand* B : std::vector<TppBand*>(FBands))
    if (std::find(InGroups.begin(), InGroups.end(), B) == InGroups.end()) Proc(B);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) Proc(G);
}

void TppCustomReport::DefineProperties(TFiler* Filer) {
  TppProducer::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppCustomReport*>(Filer->Ancestor());
  TppHReaderUtils::DefineMicrons(*Filer, "mmColumnWidth", FColumnWidth, Anc ? &Anc->FColumnWidth : nullptr);
  auto NameOf = [](const TppDataPipeline* P) { return P ? P->Name() : std::string(); };
  const bool WritePipeline = Anc ? NameOf(Anc->FDataPipeline) != NameOf(FDataPipeline) : FDataPipeline != nullptr;
  Filer->DefineProperty(
      "DataPipelineName", [this](TReader& R) { FDataPipelineName = R.ReadString(); },
      [this, NameOf](TWriter& W) { W.WriteString(NameOf(FDataPipeline)); }, WritePipeline);
  Filer->DefineProperty("UserName", [](TReader& R) { R.ReadString(); }, nullptr, false);
  Filer->DefineProperty(
      "RulerUnits",
      [this](TReader& R) {
        const std::string Id = R.ReadIdent();
        if (Id == "utPixels") FUnits = utScreenPixels;
        else if (Id == "utInches") FUnits = utInches;
        else if (Id == "utMillimeters") FUnits = utMillimeters;
      },
      nullptr, false);
}

void TppCustomReport::ReadState(TReader& Reader) {
  FDataPipelineName = TppHReaderUtils::PeekIdentProperty(Reader, "DataPipeline");
  TppProducer::ReadState(Reader);
}

void TppCustomReport::Loaded() {
  ResolveDataPipelines();
  // Stored column positions are integer microns, and older ones are read with "." by the
  // conversion: nothing is rewritten for the locale.
  PrinterSetup()->Changed();
  TppProducer::Loaded();
  if (!FSaveAsTemplate || (DesignState() & dsTemplateLoading)) return;
  TppCustomReport* Main = GetMainReport();
  if (Main != this) Main->ChildReportLoaded(this);
  if (!(Main == this && HasState(csDesigning))) FTemplate->Load();
}

void TppCustomReport::ConvertFromVersion(int Version) {
  TppProducer::ConvertFromVersion(Version);
  if (Version < ppVersionAutoStop) FAutoStop = false;
  if (Version < ppVersionReportMicrons) {
    PrinterSetup()->SetUnits(FUnits);
    TppPrinter* Printer = FUnits == utPrinterPixels ? GetPrinter() : nullptr;
    for (int I = 0; I < FColumnPositions.Count(); ++I) {
      const std::string Entry = FColumnPositions.Get(I);
      if (Entry.empty()) continue;
      // Stored with "." (the old form), or with the separator of the machine that wrote it.
      double V = 0;
      TFormatSettings Point = FormatSettings();
      Point.DecimalSeparator = '.';
      const bool Number = TryStrToFloat(Entry, V, Point) || TryStrToFloat(Entry, V);
      FColumnPositions.Put(
          I, Number ? IntToStr(ConvertToMicrons(FUnits, ppHorizontal, Printer, static_cast<float>(V))) : std::string());
    }
    FColumnWidth = ConvertToMicrons(FUnits, ppHorizontal, Printer, FOldColumnWidth);
    const int32_t Printable = PrintableWidth();
    if (FColumnPositions.Count() == 0 && FColumns > 1 &&
        static_cast<int64_t>(Printable) < static_cast<int64_t>(FColumnWidth) * FColumns)
      FColumnWidth = Printable / FColumns;
    FPassSetting = psTwoPass;
  }
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->ConvertFromVersion(VersionNo());
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->ConvertFromVersion(VersionNo());
  FModified = true;
}

const TClassInfo& TppCustomReport::StaticClassInfo() {
  using R = TppCustomReport;
  static const TClassInfo Info =
      TClassDef<R>("TppCustomReport", &TppProducer::StaticClassInfo())
          .Prop("AutoStop", &R::FAutoStop, &R::FAutoStop)
          .Default(1)
          .Prop("Columns", &R::Columns, &R::SetColumns)
          .Default(1)
          .Prop("ColumnPositions", [](const R& S) { return const_cast<R&>(S).GetColumnPositions(); },
                &R::SetColumnPositions)
          .Prop("ColumnWidth", [](const R& S) { return const_cast<R&>(S).GetColumnWidth(); }, &R::SetColumnWidth)
          .Stored(false)
          .Prop("DataPipeline", &R::DataPipeline, &R::SetDataPipeline)
          .SetProp<TppNoDataBehaviorType>("NoDataBehaviors", &R::NoDataBehaviors, &R::SetNoDataBehaviors)
          .Default(1u << ndBlankPage)
          .Prop("PageLimit", &R::PageLimit, &R::SetPageLimit)
          .Default(0)
          .Prop("PassSetting", &R::PassSetting, &R::SetPassSetting)
          .Default(psOnePass)
          .Prop("SaveAsTemplate", &R::SaveAsTemplate, &R::SetSaveAsTemplate)
          .Default(0)
          .Prop("Template", &R::Template, &R::SetTemplate)
          .Prop("Units", &R::Units, &R::SetUnits)
          .Default(utInches)
          .Event("OnEndColumn", &R::OnEndColumn)
          .Event("OnEndFirstPass", &R::OnEndFirstPass)
          .Event("OnEndPage", &R::OnEndPage)
          .Event("OnEndSecondPass", &R::OnEndSecondPass)
          .Event("OnNoData", &R::OnNoData)
          .Event("OnStartColumn", &R::OnStartColumn)
          .Event("OnStartFirstPass", &R::OnStartFirstPass)
          .Event("OnStartPage", &R::OnStartPage)
          .Event("OnStartSecondPass", &R::OnStartSecondPass);
  return Info;
}
