#include "ppreport/core/ppDrwCmd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppRTTI.h"

namespace drwcmdtest {

template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

// A printable of the tests: a component with a display format, as text components have.
class TFormatComponent : public TComponent {
  DECLARE_CLASSINFO(TFormatComponent)
public:
  using TComponent::TComponent;
  std::string DisplayFormat;
};
const TClassInfo& TFormatComponent::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TFormatComponent>("TFormatComponent", &TComponent::StaticClassInfo())
                                     .Prop("DisplayFormat", &TFormatComponent::DisplayFormat,
                                           &TFormatComponent::DisplayFormat);
  return Info;
}

TOwned<TppDrawText> MakeText(const std::string& Text) {
  TOwned<TppDrawText> T(new TppDrawText(nullptr));
  T->SetText(Text);
  T->SetLeft(100);
  T->SetTop(200);
  T->SetWidth(3000);
  T->SetHeight(500);
  T->Font()->SetName("Arial");
  T->Font()->SetSize(10);
  return T;
}

// ---- comparison

TEST(ppDrwCmdTest, TextEqualityIgnoresFontColourAngleAndSaveSettings) {
  auto A = MakeText("abc");
  auto B = MakeText("abc");
  B->Font()->SetColor(clRed);
  B->SetAngle(90);
  B->SetBandSaveNo(4);
  EXPECT_TRUE(A->IsEqual(*B));

  // Each of these makes two texts differ.
  const std::vector<std::function<void(TppDrawText&)>> Changes = {
      [](TppDrawText& T) { T.SetText("abd"); },
      [](TppDrawText& T) { T.SetLeft(101); },
      [](TppDrawText& T) { T.SetHeight(1); },
      [](TppDrawText& T) { T.Font()->SetSize(11); },
      [](TppDrawText& T) { T.Font()->SetStyle(fsBold); },
      [](TppDrawText& T) { T.SetColor(clYellow); },
      [](TppDrawText& T) { T.SetTextAlignment(taCentered); },
      [](TppDrawText& T) { T.SetSaveLength(3); },
      [](TppDrawText& T) { T.WrappedText()->Add("line"); },
      [](TppDrawText& T) { T.TabStopPositions()->Add("10"); },
      [](TppDrawText& T) { T.SetWordWrap(true); },
  };
  for (size_t I = 0; I < Changes.size(); ++I) {
    auto C = MakeText("abc");
    Changes[I](*C);
    EXPECT_FALSE(A->IsEqual(*C)) << I;
  }
}

TEST(ppDrwCmdTest, DateAndTimeVariablesAreAlikeWhereverTheyStand) {
  TOwned<TppDrawVar> Time(new TppDrawVar(nullptr)), Date(new TppDrawVar(nullptr));
  Time->SetVarType(vtTime);
  Time->SetLeft(5);
  Time->SetText("10:00");
  Date->SetVarType(vtDate);
  Date->SetTop(900);
  EXPECT_TRUE(Time->IsEqual(*Date));
  Date->SetVarType(vtPageNo);
  EXPECT_FALSE(Time->IsEqual(*Date));
  TOwned<TppDrawVar> PageNo(new TppDrawVar(nullptr));
  PageNo->SetVarType(vtPageNo);
  PageNo->SetTop(900);
  EXPECT_TRUE(Date->IsEqual(*PageNo));
  PageNo->SetVarType(vtPageCount);
  EXPECT_FALSE(Date->IsEqual(*PageNo));
}

TEST(ppDrwCmdTest, GraphicsCompareTheirOwnFields) {
  TOwned<TppDrawImage> I1(new TppDrawImage(nullptr)), I2(new TppDrawImage(nullptr));
  I2->SetStretch(true);
  I2->SetImageName("other");
  I2->SetPicture(TPicture());
  EXPECT_TRUE(I1->IsEqual(*I2));  // position and size only
  I2->SetWidth(1);
  EXPECT_FALSE(I1->IsEqual(*I2));

  TOwned<TppDrawShape> S1(new TppDrawShape(nullptr)), S2(new TppDrawShape(nullptr));
  EXPECT_TRUE(S1->IsEqual(*S2));
  S2->Pen()->SetWidth(3);
  EXPECT_FALSE(S1->IsEqual(*S2));

  TOwned<TppDrawLine> L1(new TppDrawLine(nullptr)), L2(new TppDrawLine(nullptr));
  L2->SetWeight(2.5f);  // not compared
  EXPECT_TRUE(L1->IsEqual(*L2));
  L2->SetLinePosition(lpBottom);
  EXPECT_FALSE(L1->IsEqual(*L2));
  EXPECT_EQ(dtGraphic, L1->DataType());
}

TEST(ppDrwCmdTest, AlignmentPairsFollowEachOther) {
  auto T = MakeText("x");
  T->SetTextAlignment(taFullJustified);
  EXPECT_EQ(taLeftJustify, T->Alignment());
  T->SetTextAlignment(taRightJustified);
  EXPECT_EQ(taRightJustify, T->Alignment());
  T->SetAlignment(taCenter);
  EXPECT_EQ(taCentered, T->TextAlignment());
  T->SetAlignment(taLeftJustify);
  EXPECT_EQ(taLeftJustified, T->TextAlignment());
}

TEST(ppDrwCmdTest, SaveOrderKeyIsTwoEightCharacterNumbers) {
  auto T = MakeText("x");
  T->SetBandSaveNo(2);
  T->SetComponentSaveNo(15);
  EXPECT_EQ("       2      15", T->GetSaveOrderKey());
}

// ---- late values

TEST(ppDrwCmdTest, LookAheadValueKeepsTheLatestTraversalUntilAnotherKeyArrives) {
  TOwned<TppCommunicator> List(new TppCommunicator(nullptr));
  TOwned<TppDrawVariable> V(new TppDrawVariable(nullptr));
  V->SetLookAhead(true);
  V->SetLookAheadKey("A");
  V->SetTraversalCount(2);
  V->SetText("old");
  List->AddEventNotify(V->Listener());
  EXPECT_TRUE(V->IsUpdateable());

  auto Send = [&](std::string Key, int Count, std::string Text) {
    TraParamList P;
    P.AddParam("aLookAheadKey", vkString);
    P.AddParam("aTraversalCount", vkInteger);
    P.AddParam("aText", vkString);
    P.BindParam(0, &Key);
    P.BindParam(1, &Count);
    P.BindParam(2, &Text);
    List->SendEventNotify(List.get(), ciLookAheadValue, &P);
  };
  Send("A", 1, "x");
  EXPECT_EQ("old", V->Text());
  Send("A", 3, "y");
  EXPECT_EQ("y", V->Text());
  EXPECT_TRUE(V->IsUpdatePending());

  // A copy hears the same sender; its count starts over.
  TOwned<TppDrawVariable> Copy(new TppDrawVariable(nullptr));
  Copy->Assign(V.get());
  EXPECT_EQ("A", Copy->LookAheadKey());
  EXPECT_EQ(0, Copy->TraversalCount());
  Send("A", 1, "z1");
  EXPECT_EQ("z1", Copy->Text());
  EXPECT_EQ("y", V->Text());

  Send("B", 4, "z");
  EXPECT_EQ("y", V->Text());
  EXPECT_FALSE(V->IsUpdatePending());
  EXPECT_FALSE(Copy->IsUpdatePending());
  V->SetLookAhead(false);
  EXPECT_EQ(nullptr, V->Listener());
  EXPECT_FALSE(V->IsUpdateable());
}

TEST(ppDrwCmdTest, PageNumbersComeFromThePageThroughTheDisplayFormat) {
  TOwned<TppPage> Page(new TppPage(nullptr));
  Page->SetPageNo(7);
  Page->SetPageCount(12);
  TOwned<TFormatComponent> Label(new TFormatComponent(nullptr));
  Label->DisplayFormat = "000";

  auto* PageNo = new TppDrawVar(nullptr);
  PageNo->SetVarType(vtPageNo);
  PageNo->SetComponent(Label.get());
  PageNo->SetPage(Page.get());
  auto* Desc = new TppDrawVar(nullptr);
  Desc->SetVarType(vtPageSetDesc);
  Desc->SetPage(Page.get());
  auto* Date = new TppDrawVar(nullptr);
  Date->SetVarType(vtDate);
  Date->SetText("1/1");
  Date->SetPage(Page.get());
  auto* Calc = new TppDrawCalc(nullptr);
  Calc->SetCalcType(ctPageSet);
  Calc->SetPage(Page.get());

  EXPECT_EQ(3, Page->GetUpdateableCount());  // the date is not updateable
  Page->RedrawUpdateables(nullptr);
  EXPECT_EQ("007", PageNo->Text());
  EXPECT_EQ("Página 7 de 12", Desc->Text());
  EXPECT_EQ("7 de 12", Calc->Text());
  EXPECT_FALSE(Date->IsUpdatePending());
  EXPECT_EQ("1/1", Date->Text());
}

// The mend: a command's references into the report are cleared when the report's objects go, so a
// cached page is drawn after its component is gone.
TEST(ppDrwCmdTest, CachedPageOutlivesItsComponentAndClickHandler) {
  TOwned<TppPage> Page(new TppPage(nullptr));
  Page->SetPageNo(2);
  Page->SetPageCount(3);
  auto* Label = new TFormatComponent(nullptr);
  Label->DisplayFormat = "00";
  int Clicks = 0;
  auto* Var = new TppDrawVar(nullptr);
  Var->SetVarType(vtPageNo);
  Var->SetComponent(Label);
  Var->SetClickable(true);
  Var->SetOnDrawCommandClick(Label, [&](TppDrawCommand*) { ++Clicks; });
  Var->SetPage(Page.get());

  TOwned<TppPage> Cached(new TppPage(nullptr));
  Cached->Assign(Page.get());
  auto* CachedVar = dynamic_cast<TppDrawVar*>(Cached->GetDrawCommand(0));
  ASSERT_NE(nullptr, CachedVar);
  EXPECT_EQ(Label, CachedVar->Component());
  CachedVar->DoDrawCommandClick();
  EXPECT_EQ(1, Clicks);

  Label->Free();
  EXPECT_EQ(nullptr, Var->Component());
  EXPECT_EQ(nullptr, CachedVar->Component());
  EXPECT_FALSE(CachedVar->OnDrawCommandClick());
  CachedVar->DoDrawCommandClick();
  EXPECT_EQ(1, Clicks);
  Cached->RedrawUpdateables(nullptr);  // the system-variable text now
  EXPECT_EQ("2", CachedVar->Text());

  // Freeing a command drops its links: the component may go later without touching it.
  auto* Other = new TFormatComponent(nullptr);
  auto* Text = new TppDrawText(nullptr);
  Text->SetComponent(Other);
  Text->SetOnDrawCommandClick(Other, [](TppDrawCommand*) {});
  Text->Free();
  Other->Free();
}

// ---- streams

std::string StreamText(TComponent* C) {
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, C);
  Bin.Seek(0, soBeginning);
  ObjectBinaryToText(Bin, Text);
  return std::string(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
}

TComponent* ReadText(const std::string& Text) {
  TBytesStream In(Text.data(), static_cast<int64_t>(Text.size()));
  TMemoryStream Bin;
  ObjectTextToBinary(In, Bin);
  Bin.Seek(0, soBeginning);
  return ReadComponentFromStream(Bin, nullptr);
}

TEST(ppDrwCmdTest, PageStreamsWithItsCommandsAndReadsThemBack) {
  TOwned<TppPage> Page(new TppPage(nullptr));
  Page->SetAbsolutePageNo(4);
  Page->SetLastPage(true);
  Page->SetPrintDateTime(45000.5);
  auto* Rotated = new TppDrawText(nullptr);
  Rotated->SetText("vertical");
  Rotated->SetAngle(90);
  Rotated->SetRotatedOriginLeft(120);
  Rotated->SetRotatedOriginTop(340);
  Rotated->Border()->SetBorderPositions(ppSetBit(bpLeft));
  Rotated->WrappedText()->Add("one");
  Rotated->SetPage(Page.get());
  auto* Flat = new TppDrawText(nullptr);
  Flat->SetText("flat");
  Flat->SetRotatedOriginLeft(55);  // no angle: not written
  Flat->SetPage(Page.get());
  auto* Shape = new TppDrawShape(nullptr);
  Shape->SetShapeType(stEllipse);
  Shape->Brush()->SetColor(clBlue);
  Shape->Pen()->SetWidth(4);
  Shape->SetPage(Page.get());
  auto* Image = new TppDrawImage(nullptr);
  TBitmap Bmp(3, 2);
  Bmp.Canvas().SetPixels(1, 1, clRed);
  TPicture Pic;
  Pic.SetGraphic(&Bmp);
  Image->SetPicture(Pic);
  Image->SetPage(Page.get());

  const std::string Text = StreamText(Page.get());
  EXPECT_NE(std::string::npos, Text.find("RotatedOriginLeft = 120"));
  EXPECT_EQ(std::string::npos, Text.find("RotatedOriginLeft = 55"));
  EXPECT_EQ(std::string::npos, Text.find("DataType"));  // each class's own default
  EXPECT_NE(std::string::npos, Text.find("Border.BorderPositions"));
  EXPECT_NE(std::string::npos, Text.find("Picture.Data"));

  TOwned<TComponent> Read(ReadText(Text));
  auto* Back = dynamic_cast<TppPage*>(Read.get());
  ASSERT_NE(nullptr, Back);
  EXPECT_EQ(4, Back->AbsolutePageNo());
  EXPECT_TRUE(Back->LastPage());
  EXPECT_DOUBLE_EQ(45000.5, Back->PrintDateTime());
  ASSERT_EQ(4, Back->GetDrawCommandCount());
  for (int I = 0; I < 4; ++I) {
    EXPECT_EQ(Page->GetDrawCommand(I)->ClassInfo(), Back->GetDrawCommand(I)->ClassInfo());
    EXPECT_TRUE(Page->GetDrawCommand(I)->IsEqual(*Back->GetDrawCommand(I))) << I;
    EXPECT_EQ(Back, Back->GetDrawCommand(I)->Page());
    EXPECT_EQ(Back, Back->GetDrawCommand(I)->Owner());
  }
  auto* R = dynamic_cast<TppDrawText*>(Back->GetDrawCommand(0));
  EXPECT_EQ(120, R->RotatedOriginLeft());
  EXPECT_EQ(340, R->RotatedOriginTop());
  EXPECT_TRUE(R->Border()->Has(bpLeft));
  EXPECT_EQ(0, dynamic_cast<TppDrawText*>(Back->GetDrawCommand(1))->RotatedOriginLeft());
  EXPECT_EQ(clBlue, dynamic_cast<TppDrawShape*>(Back->GetDrawCommand(2))->Brush()->Color());
  TBitmap* B = dynamic_cast<TppDrawImage*>(Back->GetDrawCommand(3))->GetAsBitmap();
  ASSERT_NE(nullptr, B);
  EXPECT_EQ(3, B->Width());
  EXPECT_EQ(ColorToRGB(clRed), B->Canvas().Pixels(1, 1) & 0xFFFFFF);
}

TEST(ppDrwCmdTest, OlderStreamsGiveTheAlignment) {
  const struct {
    const char* Ident;
    TppTextAlignment Expected;
  } Cases[] = {{"taCenter", taCentered}, {"taRightJustify", taRightJustified}, {"taLeftJustify", taLeftJustified},
               {"taSomethingElse", taLeftJustified}};
  for (const auto& C : Cases) {
    TOwned<TComponent> Read(ReadText(std::string("object T: TppDrawText\n  Alignment = ") + C.Ident +
                                     "\n  Text = 'a'\nend\n"));
    auto* T = dynamic_cast<TppDrawText*>(Read.get());
    ASSERT_NE(nullptr, T) << C.Ident;
    EXPECT_EQ(C.Expected, T->TextAlignment()) << C.Ident;
    EXPECT_EQ(std::string::npos, StreamText(T).find(" Alignment =")) << "never written";
  }
}

TEST(ppDrwCmdTest, PictureOfAnUnknownClassIsRefused) {
  // "TNoSuchGraphic" and two bytes.
  const std::string Text =
      "object T: TppDrawImage\n  Picture.Data = {0E544E6F5375636847726170686963AABB}\nend\n";
  EXPECT_THROW(ReadText(Text), EReadError);
}

// ---- images and rotated text

TEST(ppDrwCmdTest, ImageBitmapsByGraphicKind) {
  TOwned<TppDrawImage> Image(new TppDrawImage(nullptr));
  EXPECT_EQ(nullptr, Image->GetAsBitmap());

  TBitmap Bmp(4, 4);
  Bmp.Canvas().SetPixels(0, 0, clLime);
  TJPEGImage Jpeg;
  Jpeg.CompressFrom(Bmp, 95);
  TPicture P;
  P.SetGraphic(&Jpeg);
  Image->SetPicture(P);
  TBitmap* First = Image->GetAsBitmap();
  ASSERT_NE(nullptr, First);
  EXPECT_EQ(4, First->Width());
  EXPECT_EQ(First, Image->GetAsBitmap());  // made once

  P.SetGraphic(&Bmp);
  Image->SetPicture(P);
  EXPECT_EQ(Image->Picture()->Graphic(), Image->GetAsBitmap());  // the picture's own

  TMetafile Meta;
  P.SetGraphic(&Meta);
  Image->SetPicture(P);
  EXPECT_EQ(nullptr, Image->GetAsBitmap());
}

TEST(ppDrwCmdTest, RotatedFontAndTextRestoreTheCanvas) {
  TFont F;
  F.SetName("Courier New");
  F.SetSize(12);
  F.SetStyle(fsBold | fsItalic);
  const TLogFont L = CreateRotatedFont(F, 90);
  EXPECT_EQ(-16, L.Height);  // 12 points at 96 pixels per inch
  EXPECT_EQ(900, L.Escapement);
  EXPECT_EQ(900, L.Orientation);
  EXPECT_EQ(FW_BOLD, L.Weight);
  EXPECT_TRUE(L.Italic);
  EXPECT_FALSE(L.Underline);
  EXPECT_EQ("Courier New", L.FaceName);

  TCallLogDC Dc;
  TCanvas Canvas(&Dc);
  Canvas.Brush().SetStyle(bsSolid);
  TextOutRotated(Canvas, F, 10, 20, "up", 90);
  EXPECT_EQ(bsSolid, Canvas.Brush().Style());
  ASSERT_EQ(1u, Dc.Calls("ExtTextOut").size());
  EXPECT_EQ(900, Dc.State().Font.Escapement);
  EXPECT_EQ(TRANSPARENT, Dc.State().BkMode);
  // The next text is in the canvas's own font again, on its own brush.
  Canvas.TextOut(0, 0, "flat");
  EXPECT_EQ(0, Dc.State().Font.Escapement);
  EXPECT_EQ(OPAQUE, Dc.State().BkMode);
  EXPECT_NEAR(0.03937 * 25.4, MicronsToInches(25400), 1e-4);
}

TEST(ppDrwCmdTest, FontSubstitutionIsExact) {
  EXPECT_EQ("Arial", TppDeviceSubstitutions::SubstituteFont("Terminal"));
  EXPECT_EQ("Courier New", TppDeviceSubstitutions::SubstituteFont("MS Serif"));
  EXPECT_EQ("courier", TppDeviceSubstitutions::SubstituteFont("courier"));
  EXPECT_EQ("Verdana", TppDeviceSubstitutions::SubstituteFont("Verdana"));
}

}  // namespace drwcmdtest
