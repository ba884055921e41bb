#include "ppreport/core/ppProd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/app/Dialogs.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppRTTI.h"
#include "tests/TestTemp.h"
#include "tests/ppreport/core/ppPageTestSupport.h"
#include "tests/ppreport/core/ppPrintTestSupport.h"

namespace prodtest {

using namespace pptest;

template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

TTestReport* ReadReport(const std::string& Body) {
  const std::string Text = "object Report: TTestReport\n" + Body + "end\n";
  TBytesStream In(Text.data(), static_cast<int64_t>(Text.size()));
  TMemoryStream Bin;
  ObjectTextToBinary(In, Bin);
  Bin.Seek(0, soBeginning);
  return dynamic_cast<TTestReport*>(ReadComponentFromStream(Bin, nullptr));
}

std::string WrittenText(TComponent* C) {
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, C);
  Bin.Seek(0, soBeginning);
  ObjectBinaryToText(Bin, Text);
  return std::string(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
}

// Counts the producer's broadcasts of one event.
struct TProdEvents {
  explicit TProdEvents(TppCommunicator& Sender) : Listener(new TppCommunicator(nullptr)) {
    for (int E : {ciProducerSaveText, ciProducerPrintRunFinished, ciProducerPageRequest}) Listener->EventMask().Include(E);
    Listener->OnEventNotify = [this](TppCommunicator*, TppCommunicator*, int Id, TraParamList* P) {
      Ids.push_back(Id);
      if (Id == ciProducerSaveText) P->SetValue(0, P->Value<std::string>(0) + "!");
    };
    Sender.AddEventNotify(Listener.get());
  }
  TOwned<TppCommunicator> Listener;
  std::vector<int> Ids;
  int Count(int Id) const { return static_cast<int>(std::count(Ids.begin(), Ids.end(), Id)); }
};

// ---- streams and versions

TEST(ppProdTest, VersionThresholds) {
  TTestDeviceClasses Classes;
  const struct {
    const char* Version;  // null: no "Version" in the stream
    bool Converted, Pre40, TextSearch;
  } Cases[] = {
      {"9.01", false, false, true},
      {"8.00", true, false, true},
      {"7.10", true, false, true},
      {"7.00", true, false, false},
      {"3.52", true, true, false},
      {"2.0", true, true, false},
      {nullptr, true, true, false},  // 1000
      // Beta builds of the current version: build 7 and later count as 3999, the earlier as 3998.
      {"9.01 Beta Build 7", true, true, false},
      {"9.01 Beta Build 3", true, true, false},
      // A text cut short after "Beta Build" is read no further than its end (the mend).
      {"9.01 Beta Build", true, true, false},
      {"9.01 Beta Build 1", true, true, false},
  };
  for (const auto& C : Cases) {
    const std::string Body = C.Version ? std::string("  Version = '") + C.Version + "'\n" : std::string();
    TOwned<TTestReport> R(ReadReport(Body));
    ASSERT_TRUE(R) << (C.Version ? C.Version : "absent");
    const char* Name = C.Version ? C.Version : "absent";
    EXPECT_EQ(C.Converted, R->Converted()) << Name;
    EXPECT_EQ(C.Pre40, R->ConvertedFromPre40()) << Name;
    EXPECT_EQ(C.TextSearch, R->TextSearchSettings()->Enabled()) << Name;
    EXPECT_EQ("9.01", R->Version()) << Name;
    EXPECT_EQ(9010, R->VersionNo()) << Name;
  }
  TOwned<TTestReport> Fresh(new TTestReport(nullptr));
  EXPECT_EQ("1.0", Fresh->Version());
  EXPECT_EQ(1000, Fresh->VersionNo());
  EXPECT_NE(std::string::npos, WrittenText(Fresh.get()).find("Version = '9.01'"));
}

TEST(ppProdTest, DeviceTypeFromStreamsAndAtRunTime) {
  TTestDeviceClasses Classes;
  TOwned<TTestReport> R(new TTestReport(nullptr));
  EXPECT_EQ("Screen", R->DeviceType());
  R->SetDeviceType("NoSuchDevice");
  EXPECT_EQ("Screen", R->DeviceType());
  R->SetDeviceKind(0);
  EXPECT_EQ("Printer", R->DeviceType());
  R->SetDeviceKind(3);  // no archive device here
  EXPECT_EQ("Printer", R->DeviceType());

  TOwned<TTestReport> Read(ReadReport("  DeviceType = 'NoSuchDevice'\n"));
  EXPECT_EQ("NoSuchDevice", Read->DeviceType());
  TOwned<TTestReport> Old(ReadReport("  Device = dvFile\n"));
  EXPECT_EQ("TextFile", Old->DeviceType());
  TOwned<TTestReport> Odd(ReadReport("  Device = 3\n"));  // not an identifier: passed over
  EXPECT_EQ("Screen", Odd->DeviceType());
}

TEST(ppProdTest, GuardedSettersCopyAndDescriptor) {
  TOwned<TTestReport> R(new TTestReport(nullptr));
  R->SetPrinting(true);
  R->SetShowPrintDialog(false);
  R->SetTextFileName("x.txt");
  R->SetLanguage(lgEnglish);
  EXPECT_TRUE(R->ShowPrintDialog());
  EXPECT_EQ("", R->TextFileName());
  R->SetPrinting(false);
  R->SetShowPrintDialog(false);
  EXPECT_FALSE(R->ShowPrintDialog());
  // A language without modules is refused at run time.
  R->SetLanguage(lgSwedish);
  EXPECT_EQ(lgDefault, R->Language());

  int Before = 0;
  R->BeforePrint = [&](TObject*) { ++Before; };
  R->OnPageRequest = [](TObject*, TObject*) {};
  R->SetArchiveFileName("a.raf");
  R->PrinterSetup()->SetCopies(4);
  TOwned<TTestReport> Copy(new TTestReport(nullptr));
  Copy->Assign(R.get());
  EXPECT_FALSE(Copy->ShowPrintDialog());
  EXPECT_EQ("a.raf", Copy->ArchiveFileName());
  EXPECT_EQ(4, Copy->PrinterSetup()->Copies());
  ASSERT_TRUE(Copy->BeforePrint);
  Copy->BeforePrint(Copy.get());
  EXPECT_EQ(1, Before);
  EXPECT_FALSE(Copy->OnPageRequest);

  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(*R);
  ASSERT_NE(nullptr, D);
  EXPECT_STREQ("TraTppProducerRTTI", D->Name());
  TraPropRec Rec;
  ASSERT_TRUE(D->GetPropRec(*R->ClassInfo(), "OnSaveText", Rec));
  EXPECT_EQ(ciProducerSaveText, Rec.EventId);
  auto Params = D->GetParams("OnSaveText");
  ASSERT_TRUE(Params);
  ASSERT_EQ(1, Params->Count());
  EXPECT_EQ("Text", Params->GetParamRec(0).Name);
  R->Publisher()->SetCachePages(false);
  EXPECT_TRUE(D->CallMethod(R.get(), "Cancel", nullptr));
  TraValue V;
  ASSERT_TRUE(D->GetPropValue(R.get(), "DeviceType", V));
  EXPECT_EQ("Screen", V.Str);
}

// ---- runs

TEST(ppProdTest, PreviewWithoutAPreviewerSaysSoAndEndsTheRun) {
  TOwned<TTestReport> R(new TTestReport(nullptr));
  try {
    R->Print();
    ADD_FAILURE() << "a preview without a previewer";
  } catch (const ETalvorError& E) {
    EXPECT_STREQ("TppProducer.Print: No preview form is registered.", E.what());
  }
  EXPECT_FALSE(R->Producing());
}

TEST(ppProdTest, BackgroundPrintingGoesToItsHandler) {
  TTestDeviceClasses Classes;
  TOwned<TTestReport> R(new TTestReport(nullptr));
  try {
    R->InternalPrintInBackground(nullptr, "Screen", "", "");
    ADD_FAILURE();
  } catch (const EBackgroundPrintError& E) {
    EXPECT_STREQ("TppProducer.InternalPrintInBackground: Cannot print to the screen in the background.", E.what());
  }
  R->SetDeviceType("Printer");
  R->BackgroundPrintSettings()->SetActive(true);
  EXPECT_FALSE(R->BackgroundPrintSettings()->Active());  // only while enabled
  R->BackgroundPrintSettings()->SetEnabled(true);
  R->BackgroundPrintSettings()->SetActive(true);
  EXPECT_THROW(R->PrintToDevices(), EBackgroundPrintError);  // no manager installed

  std::string Handed;
  SetBackgroundPrintHandler([&](TppProducer& P, const TppPageRequest*, const std::string& Type, const std::string&,
                                const std::string&) { Handed = P.ClassName() + ":" + Type; });
  TProdEvents Events(*R);
  R->Print();
  SetBackgroundPrintHandler(nullptr);
  EXPECT_EQ("TTestReport:Printer", Handed);
  EXPECT_EQ(0, R->Engine->Generated);
  EXPECT_FALSE(R->Producing());
  EXPECT_EQ(1, Events.Count(ciProducerPrintRunFinished));
}

TEST(ppProdTest, PrintRunToThePrinterDevice) {
  TTestDeviceClasses Classes;
  TOwned<TTestReport> R(new TTestReport(nullptr));
  R->SetDeviceType("Printer");
  TProdEvents Events(*R);
  std::vector<int> Pages;
  TOwned<TppCommunicator> Watch(new TppCommunicator(nullptr));
  Watch->EventMask().Include(ciPublisherPageReceive);
  Watch->OnEventNotify = [&](TppCommunicator*, TppCommunicator*, int, TraParamList* P) {
    Pages.push_back(dynamic_cast<TppPage*>(P->ParamObject(0))->AbsolutePageNo());
  };
  R->Publisher()->AddEventNotify(Watch.get());
  TTestDevice* Seen = nullptr;
  int After = 0;
  R->AfterPrint = [&](TObject*) {
    ++After;
    Seen = dynamic_cast<TTestDevice*>(R->PrinterDevice());
    ASSERT_NE(nullptr, Seen);
    EXPECT_TRUE(Seen->Stackable());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), Seen->Received);
  };
  R->Print();
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), Pages);
  EXPECT_EQ(1, After);
  EXPECT_EQ(nullptr, R->PrinterDevice());  // freed by the clean-up
  EXPECT_EQ(0, R->Publisher()->GetDeviceCount());
  EXPECT_FALSE(R->Producing());
  EXPECT_FALSE(R->Printing());
  EXPECT_EQ(1, Events.Count(ciProducerPageRequest));
  EXPECT_EQ(1, Events.Count(ciProducerPrintRunFinished));
}

TEST(ppProdTest, PrintRunToATextFile) {
  TTestDeviceClasses Classes;
  TOwned<TTestReport> R(new TTestReport(nullptr));
  R->Engine->PageCount = 2;
  R->SetDeviceType("TextFile");
  TTestTempFiles Temp;
  const std::string Out = Temp.Path("out.csv");
  R->SetTextFileName(Out);
  R->SetTextFileType(ftFixedLength);
  std::vector<std::string> Saved;
  R->OnSaveText = [&](TObject*, std::string& Text) { Saved.push_back(Text); };
  TProdEvents Events(*R);
  R->BeforePrint = [&](TObject*) {
    auto* F = dynamic_cast<TTestFileDevice*>(R->FileDevice());
    ASSERT_NE(nullptr, F);
    EXPECT_EQ(Out, F->FileName());
    EXPECT_EQ(ftFixedLength, F->FileType);
    EXPECT_EQ(R->Publisher(), F->Publisher());
  };
  R->Print();
  EXPECT_EQ((std::vector<std::string>{"page 1", "page 2"}), Saved);
  EXPECT_EQ(2, Events.Count(ciProducerSaveText));
  EXPECT_EQ(nullptr, R->FileDevice());
  EXPECT_FALSE(R->Producing());
}

// A device type whose class no started library registered (a template's, or a program that did not
// start the output library) raises instead of printing nothing.
TEST(ppProdTest, ADeviceTypeWithoutClassRaises) {
  RegisterDeviceClass<TTestDevice>();
  TOwned<TTestReport> R(new TTestReport(nullptr));
  R->SetDeviceType("TestDevice");
  UnregisterDeviceClass(TTestDevice::StaticClassInfo());
  TProdEvents Events(*R);
  try {
    R->Print();
    ADD_FAILURE() << "no error";
  } catch (const ETalvorError& E) {
    EXPECT_NE(std::string::npos, std::string(E.what()).find("\"TestDevice\"")) << E.what();
  }
  EXPECT_EQ(0, R->Engine->Generated);
  EXPECT_FALSE(R->Producing());
}

TEST(ppProdTest, NoPrinterToPrintOnSaysSo) {
  RegisterDeviceClass<TTestDevice>();
  TOwned<TTestReport> R(new TTestReport(nullptr));
  R->SetDeviceType("TestDevice");
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService& Dialogs = *Service;
  Dialogs.Answer(mrOk);
  TDialogServiceScope Scope(std::move(Service));
  TProdEvents Events(*R);
  R->Print();
  UnregisterDeviceClass(TTestDevice::StaticClassInfo());
  ASSERT_EQ(1u, Dialogs.Calls.size());
  EXPECT_EQ(LanguageString(1020), Dialogs.Call<TMessageRequest>(0).Text);
  EXPECT_EQ(mtWarning, Dialogs.Call<TMessageRequest>(0).Type);
  EXPECT_EQ(0, R->Engine->Generated);
  EXPECT_FALSE(R->Producing());
  EXPECT_EQ(1, Events.Count(ciProducerPrintRunFinished));
}

TEST(ppProdTest, ReportFromBefore40IsConvertedBeforePrinting) {
  TTestDeviceClasses Classes;
  TOwned<TTestReport> R(ReadReport("  DeviceType = 'Printer'\n  Version = '3.52'\n"));
  ASSERT_TRUE(R->ConvertedFromPre40());
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService& Dialogs = *Service;
  Dialogs.Answer(mrOk);
  TDialogServiceScope Scope(std::move(Service));
  R->Print();
  ASSERT_EQ(1u, Dialogs.Calls.size());
  EXPECT_EQ("This report will be converted to 4.0 format before printing.", Dialogs.Call<TMessageRequest>(0).Text);
  EXPECT_EQ(mtInformation, Dialogs.Call<TMessageRequest>(0).Type);
  EXPECT_FALSE(R->ConvertedFromPre40());
  EXPECT_EQ(5, R->Engine->Generated);  // and then printed
}

// A paper the run's printer takes is used for the run only, unless the setup is to be kept.
class ppProdPrinterTest : public ppPrintTest {};

// The printer device of this test: it prints on a pp printer of its own.
class TSetupPrinterDevice : public TTestDevice {
  DECLARE_CLASSINFO(TSetupPrinterDevice)
public:
  using TTestDevice::TTestDevice;
  static std::string DeviceName() { return ppPrinterDeviceName; }
  TppPrinter* Printer() const override { return &FPrinter; }

private:
  mutable TppPrinter FPrinter;
};
const TClassInfo& TSetupPrinterDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSetupPrinterDevice>("TSetupPrinterDevice", &TTestDevice::StaticClassInfo());
  return Info;
}

// Turns the printer's page to landscape when the run attaches it, as a print dialog would.
class TLandscapeReport : public TTestReport {
public:
  using TTestReport::TTestReport;
  TPrinterOrientation DuringRun = poPortrait;
  void EmptyHook(TppDevice* Device) override {
    TppPrinterSetup Landscape;
    Landscape.Assign(Device->Printer()->GetPrinterSetup());
    Landscape.SetOrientation(poLandscape);
    Device->Printer()->SetPrinterSetup(Landscape);
  }
  void DoBeforePrint() override {
    DuringRun = PrinterSetup()->Orientation();
    TTestReport::DoBeforePrint();
  }
};

TEST_F(ppProdPrinterTest, SavePrinterSetupKeepsTheRunsPaper) {
  Install("Virtual A", {}, true);
  Refresh();
  RegisterDeviceClass<TSetupPrinterDevice>();
  for (bool Save : {false, true}) {
    TOwned<TLandscapeReport> R(new TLandscapeReport(nullptr));
    R->PrinterSetup()->SetPrinterName("Virtual A");
    R->SetDeviceType("Printer");
    R->SetSavePrinterSetup(Save);
    R->Print();
    EXPECT_EQ(poLandscape, R->DuringRun) << Save;
    EXPECT_EQ(Save ? poLandscape : poPortrait, R->PrinterSetup()->Orientation()) << Save;
    EXPECT_EQ(5, R->Engine->Generated) << Save;
  }
  UnregisterDeviceClass(TSetupPrinterDevice::StaticClassInfo());
}

}  // namespace prodtest
