// Writes the seeds of fuzz_report_stream (fuzz/corpus/fuzz_report_stream): stored reports in the
// binary component stream and in its text form.
//   fuzz_report_stream_seeds <repository folder>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "lxreport/LXController.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/LXReport.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"

namespace {
void Save(const std::filesystem::path& File, TMemoryStream& S) {
  std::filesystem::create_directories(File.parent_path());
  std::ofstream(File, std::ios::binary).write(reinterpret_cast<const char*>(S.Memory()), S.Size());
}

void Seed(const std::filesystem::path& Repo, const std::string& Name, const std::function<void(TVexaRep&)>& Fill) {
  TVexaRep Report(nullptr);
  Report.SetName("Report");
  Fill(Report);
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, &Report);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  Save(Repo / "fuzz/corpus/fuzz_report_stream" / (Name + ".bin"), Bin);
  Save(Repo / "fuzz/corpus/fuzz_report_stream" / (Name + ".txt"), Text);
}

TLXPrintable* Box(TVexaRep& R, TLXCustomBand* Band, long double Left) {
  auto* P = new TLXPrintable(&R);
  P->SetParent(Band);
  P->Size()->SetLeft(Left);
  P->Size()->SetWidth(30);
  P->Frame()->SetDrawTop(true);
  return P;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::filesystem::path Repo = argv[1];
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  SetLocaleUsesInches(false);
  Seed(Repo, "empty", [](TVexaRep&) {});
  Seed(Repo, "bands", [](TVexaRep& R) {
    R.Page()->SetColumns(2);
    R.Page()->SetColumnSpace(5);
    R.Bands()->SetHas(rbTitle, true);
    R.Bands()->SetHas(rbDetail, true);
    R.Bands()->SetHas(rbSummary, true);
    TLXCustomBand* Detail = R.BandOfType(rbDetail);
    Detail->SetHasChild(true);
    Detail->Size()->SetHeight(12.5L);
    Box(R, Detail, 10);
    Box(R, Detail, 60)->SetAlignToBand(true);
    R.BandOfType(rbTitle)->SetLinkBand(Detail);
  });
  Seed(Repo, "subdetail", [](TVexaRep& R) {
    R.Page()->SetPaperSize(TLXPaperSize::Letter);
    R.Page()->SetOrientation(poLandscape);
    R.SetUnits(TLXUnit::Inches);
    R.Bands()->SetHas(rbDetail, true);
    auto* Sub = new TLXSubDetail(&R);
    Sub->SetName("Lines");
    Sub->SetParent(&R);
    Sub->Bands()->SetHasHeader(true);
    Sub->Bands()->SetHasFooter(true);
    auto* Group = new TLXGroup(&R);
    Group->SetName("ByCountry");
    Group->SetParent(&R);
    Group->SetExpression("COUNTRY");
    Group->SetFooterBand(R.NewBand(rbGroupFooter));
  });
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
