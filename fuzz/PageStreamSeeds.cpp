// Writes the seed corpus of fuzz_page_stream (fuzz/corpus/fuzz_page_stream): an empty page, a page
// with every draw command (rotated text, page variables, a look-ahead total, a calculation, shape,
// line, a bitmap and a JPEG image, a barcode), its text form, an older text with "Alignment", and one cut short.
//   fuzz_page_stream_seeds <repository folder>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/app/Application.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/Jpeg.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppGeneration.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"

namespace {
std::filesystem::path Folder;

void Save(const std::string& Name, const std::string& Bytes) {
  std::ofstream(Folder / Name, std::ios::binary).write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string Binary(TComponent* C) {
  TMemoryStream S;
  WriteComponentToStream(S, C);
  return std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

std::string Text(const std::string& Bin) {
  TBytesStream In(Bin.data(), static_cast<int64_t>(Bin.size()));
  TMemoryStream Out;
  ObjectBinaryToText(In, Out);
  return std::string(reinterpret_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size()));
}

void FullPage(TppPage& Page) {
  Page.SetAbsolutePageNo(2);
  Page.SetAbsolutePageCount(3);
  Page.SetPageNo(2);
  Page.SetPageCount(3);
  Page.SetFinal(true);
  Page.SetDocumentName("Relatório");
  auto* Rotated = new TppDrawText(nullptr);
  Rotated->SetText("vertical é");
  Rotated->SetAngle(270);
  Rotated->SetRotatedOriginLeft(100);
  Rotated->SetRotatedOriginTop(900);
  Rotated->Border()->SetBorderPositions(ppSetBit(bpTop) | ppSetBit(bpBottom));
  Rotated->WrappedText()->Add("a");
  Rotated->TabStopPositions()->Add("10");
  Rotated->SetPage(&Page);
  auto* Var = new TppDrawVar(nullptr);
  Var->SetVarType(vtPageSetDesc);
  Var->SetPage(&Page);
  auto* Total = new TppDrawVariable(nullptr);
  Total->SetText("12,00");
  Total->SetPage(&Page);
  auto* Calc = new TppDrawCalc(nullptr);
  Calc->SetCalcType(ctPageCount);
  Calc->SetPage(&Page);
  auto* Shape = new TppDrawShape(nullptr);
  Shape->SetShapeType(stRoundRect);
  Shape->SetXCornerRound(5);
  Shape->SetPage(&Page);
  auto* Line = new TppDrawLine(nullptr);
  Line->SetLineStyle(lsDouble);
  Line->SetWeight(1.5f);
  Line->SetPage(&Page);
  TBitmap Bmp(2, 2);
  Bmp.Canvas().SetPixels(0, 0, clRed);
  TPicture P;
  P.SetGraphic(&Bmp);
  auto* Image = new TppDrawImage(nullptr);
  Image->SetPicture(P);
  Image->SetPage(&Page);
  TJPEGImage Jpeg;
  Jpeg.CompressFrom(Bmp, 80);
  P.SetGraphic(&Jpeg);
  auto* Photo = new TppDrawImage(nullptr);
  Photo->SetPicture(P);
  Photo->SetStretch(true);
  Photo->SetPage(&Page);
  auto* BarCode = new TppDrawBarCode(nullptr);
  BarCode->SetBarCodeType(bcEAN_13);
  BarCode->SetData("400638133393");
  BarCode->SetAddOnCode("12");
  BarCode->SetBarWidth(330);
  BarCode->SetOrientation(orTopToBottom);
  BarCode->SetPage(&Page);
  auto* Rich = new TppDrawRichText(nullptr);
  const std::string Rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Ol\\'e1\\par\\b rich\\b0 text}";
  Rich->RichTextStream().Write(Rtf.data(), static_cast<int64_t>(Rtf.size()));
  Rich->SetStartCharPos(0);
  Rich->SetEndCharPos(-1);
  Rich->SetPage(&Page);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializePPGeneration();
  Folder = std::filesystem::path(argv[1]) / "fuzz/corpus/fuzz_page_stream";
  std::filesystem::create_directories(Folder);
  {
    TppPage Empty(nullptr);
    Save("empty.bin", Binary(&Empty));
    TppPage Page(nullptr);
    FullPage(Page);
    const std::string Bin = Binary(&Page);
    Save("full.bin", Bin);
    Save("full.txt", Text(Bin));
    Save("cut.bin", Bin.substr(0, Bin.size() / 2));
    Save("alignment.txt", "object P: TppPage\n  object T: TppDrawText\n    Alignment = taCenter\n    Text = 'x'\n  end\nend\n");
  }
  FinalizePPGeneration();
  FinalizeApplication();
  return 0;
}
