// Pictures on the real engine: a data-aware image reading a SQLite blob field in every format the
// graphic class registry reads (by the picture's first bytes, or by the class its GraphicType
// names), a damaged picture stopping the run with the print error that names the image, the
// registry's names, and pages generated again alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/data/DBTables.h"
#include "platform/graphics/RasterImage.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/generation/ppCtrlsImage.h"
#include "ppreport/generation/ppGenConsts.h"
#include "ppreport/generation/ppRegion.h"
#include "tests/TestTemp.h"
#include "tests/platform/graphics/PictureFixtures.h"
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"

namespace bandkindstest {
namespace {

std::string Hex(const std::string& Bytes) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string H;
  for (unsigned char C : Bytes) H += {Digits[C >> 4], Digits[C & 15]};
  return H;
}

// One picture a record: Id, Kind (the GraphicType that reads it) and Pic (a blob).
class Images : public BandKinds {
protected:
  TTestTempFiles Temp;
  std::string Db;
  TppDetailBand* Band = nullptr;
  int Selects = 0;

  void SetUp() override {
    BandKinds::SetUp();
    Db = Temp.Path("pictures.db");
    using namespace picturefixtures;
    const std::string Jpg = Jpeg(), Png = picturefixtures::Png();
    Exec("CREATE TABLE Pics (Id INTEGER, Kind TEXT, Pic BLOB)");
    int Id = 0;
    for (auto [Kind, Bytes] : {std::pair{"Bitmap", Bmp()}, {"JPEG", Jpg}, {"MetaFile", Emf()}, {"PNG", Png},
                               {"GIF", Gif()}, {"CutPNG", Png.substr(0, 40)}, {"CutJPEG", Jpg.substr(0, Jpg.size() / 2)},
                               {"Empty", std::string()}})
      Exec(Format("INSERT INTO Pics VALUES (%d, '%s', X'%s')", {++Id, std::string(Kind), Hex(Bytes)}));
    Band = new TppDetailBand(&Form);
    Band->ChangeHeight(25 * mm);
    Band->SetReport(Report);
    Report->SetPageLimit(30);
  }
  void Exec(const std::string& Sql) {
    TQuery Q(nullptr);
    Q.SetDatabaseName(Db);
    Q.SetSQLText(Sql);
    Q.ExecSQL();
  }
  // The records whose Kind is one of Kinds (SQL text list), in Id order.
  TppDataSetPipeline* Select(const std::string& Kinds) {
    auto* Q = new TQuery(&Form);
    Q->SetDatabaseName(Db);
    Q->SetSQLText("SELECT Id, Kind, Pic FROM Pics WHERE Kind IN (" + Kinds + ") ORDER BY Id");
    auto* P = new TppDataSetPipeline(&Form);
    P->SetUserName("Pics");
    P->SetName(Selects++ == 0 ? "Pics" : "Pics" + std::to_string(Selects));
    P->SetDataSet(Q);
    Report->SetDataPipeline(P);
    return P;
  }
  TppDBImage* AddImage(TppDataPipeline* P, const std::string& GraphicType, int32_t Top = 0) {
    auto* I = new TppDBImage(&Form);
    I->SetName("Photo");
    I->SetUserName("Photo");
    I->SetBounds(0, Top, 20 * mm, 20 * mm);
    I->SetBand(Band);
    I->SetDataPipeline(P);
    I->SetDataField("Pic");
    I->SetGraphicType(GraphicType);
    return I;
  }
  std::vector<TppDrawImage*> ImagesOn(int Page) {
    std::vector<TppDrawImage*> L;
    auto It = Report->Pages.find(Page);
    if (It == Report->Pages.end()) return L;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I)
      if (auto* D = dynamic_cast<TppDrawImage*>(It->second->GetDrawCommand(I))) L.push_back(D);
    return L;
  }
  static std::string ClassOf(TppDrawImage* D) {
    const TGraphic* G = D->Picture() ? D->Picture()->Graphic() : nullptr;
    return G ? G->ClassName() : "";
  }
};

}  // namespace

// "Bitmap" reads a picture of any format by its first bytes; another GraphicType decodes with the
// class registered under it. Each record prints its own picture under its own image name.
TEST_F(Images, EveryFormatFromABlobField) {
  const bool Png = RasterFormatReadable("PNG"), Gif = RasterFormatReadable("GIF");
  std::string Kinds = "'Bitmap','JPEG','MetaFile'";
  std::vector<std::string> Classes{"TBitmap", "TJPEGImage", "TMetafile"};
  if (Png) Kinds += ",'PNG'", Classes.push_back("TPngImage");
  if (Gif) Kinds += ",'GIF'", Classes.push_back("TGIFImage");
  TppDataSetPipeline* P = Select(Kinds);
  AddImage(P, "Bitmap");
  Run();
  std::vector<TppDrawImage*> All;
  for (auto& [No, Page] : Report->Pages)
    for (TppDrawImage* D : ImagesOn(No)) All.push_back(D);
  ASSERT_EQ(Classes.size(), All.size());
  for (size_t I = 0; I < All.size(); ++I) {
    EXPECT_EQ(Classes[I], ClassOf(All[I])) << I;
    EXPECT_EQ("PhotoPicsPic" + std::to_string(I), All[I]->ImageName());  // the record number
  }
  EXPECT_EQ(2, All[0]->Picture()->Picture().Height());

  struct Case {
    const char* Type;
    const char* Class;
    bool Readable;
  };
  for (const Case& C : {Case{"JPEG", "TJPEGImage", true}, Case{"MetaFile", "TMetafile", true},
                        Case{"PNG", "TPngImage", Png}, Case{"GIF", "TGIFImage", Gif}}) {
    SCOPED_TRACE(C.Type);
    if (!C.Readable) continue;
    Band->GetObjects(0)->Free();
    TppDBImage* Image = AddImage(Select(std::string("'") + C.Type + "'"), C.Type);
    EXPECT_EQ(std::string(C.Type) == "MetaFile", Image->DirectDraw());
    Run();
    ASSERT_EQ(1u, ImagesOn(1).size());
    EXPECT_EQ(C.Class, ClassOf(ImagesOn(1)[0]));
  }
}

// Bytes that do not decode stop the run with the print error naming the image, by either way in;
// outside a run the image is only empty. An empty blob is an empty picture, no error.
TEST_F(Images, DamagedPictureStopsTheRunNamingTheImage) {
  struct Case {
    const char* Kind;
    const char* Type;
  };
  for (const Case& C : {Case{"CutJPEG", "Bitmap"}, Case{"CutJPEG", "JPEG"}, Case{"CutPNG", "PNG"}}) {
    SCOPED_TRACE(std::string(C.Kind) + " as " + C.Type);
    if (!GetGraphicClass(C.Type)) continue;
    TppDataSetPipeline* P = Select(std::string("'Bitmap','") + C.Kind + "'");
    TppDBImage* Image = AddImage(P, C.Type);
    try {
      Run();
      ADD_FAILURE() << "no print error";
    } catch (const EPrintError& E) {
      EXPECT_NE(std::string::npos, E.Message().find(SppImageLoadFailed)) << E.Message();
      EXPECT_NE(std::string::npos, E.Message().find("Photo")) << E.Message();
    }
    EXPECT_FALSE(Report->Engine()->Printing());

    // At design time, on the damaged record: no picture, nothing raised.
    P->Open();
    P->Last();
    EXPECT_NO_THROW(Image->LoadPicture());
    EXPECT_TRUE(Image->GetPicture()->Picture().Empty());
    P->Close();
    Image->Free();
  }

  TppDBImage* Image = AddImage(Select("'Empty'"), "JPEG");
  Run();
  ASSERT_EQ(1u, ImagesOn(1).size());
  EXPECT_EQ("", ClassOf(ImagesOn(1)[0]));
  (void)Image;
}

// The registry's names, matched without regard to case; only registered names are taken, and a
// metafile is drawn directly. With AutoDisplay off and no handler the pipeline is never asked;
// a handler fills the picture at design time too.
TEST_F(Images, GraphicTypesAndHandlers) {
  std::vector<std::string> Names = GetGraphicClassNames();
  for (const char* N : {"Bitmap", "Icon", "JPEG", "MetaFile"})
    EXPECT_NE(Names.end(), std::find(Names.begin(), Names.end(), N)) << N;
  EXPECT_EQ(GetGraphicClass("gif") != nullptr, RasterFormatReadable("GIF"));
  EXPECT_EQ("TJPEGImage", GetGraphicClass("jpeg")->ClassName);

  TppDBImage Image(&Form);
  Image.SetGraphicType("TIFF");
  EXPECT_EQ("Bitmap", Image.GraphicType());
  Image.SetGraphicType("MetaFile");
  EXPECT_TRUE(Image.DirectDraw());
  Image.SetGraphicType("Bitmap");
  EXPECT_FALSE(Image.DirectDraw());

  TppDataSetPipeline* P = Select("'PNG'");
  P->Open();
  Image.SetDataPipeline(P);
  Image.SetDataField("Pic");
  Image.SetAutoDisplay(false);
  EXPECT_TRUE(Image.GetPicture()->Picture().Empty());
  int Calls = 0;
  Image.OnGetPicture = [&](TObject* Sender, TPicture* Picture) {
    EXPECT_EQ(&Image, Sender);
    ++Calls;
    Picture->Bitmap().SetSize(3, 4);
  };
  EXPECT_EQ(4, Image.GetPicture()->Picture().Height());
  EXPECT_EQ(1, Calls);
  P->Close();
}

// Two stored pictures on one page have different image names; pictures over several pages, in a
// region, come out the same when each page is generated again alone.
TEST_F(Images, PagesAgainAloneWithImagesInARegion) {
  std::string Kinds = "'Bitmap','JPEG','MetaFile'";
  TppDataSetPipeline* P = Select(Kinds);
  auto* Region = new TppRegion(&Form);
  Region->SetBounds(0, 0, 80 * mm, 22 * mm);
  Region->SetBand(Band);
  Band->ChangeHeight(35 * mm);
  TppDBImage* Photo = AddImage(P, "Bitmap", 1 * mm);
  Region->AddObject(Photo);
  TPicture Stored;
  Stored.Bitmap().SetSize(2, 2);
  TppPicture Held;
  Held.Picture().Assign(Stored);
  for (int32_t Left : {30 * mm, 55 * mm}) {
    auto* I = new TppImage(&Form);
    I->SetBounds(Left, 23 * mm, 10 * mm, 10 * mm);
    I->SetBand(Band);
    I->SetPicture(&Held);
  }
  Run();
  ASSERT_GE(Report->Pages.size(), 2u);
  std::vector<TppDrawImage*> First = ImagesOn(1);
  ASSERT_EQ(6u, First.size());  // two records on the first page, three images each
  EXPECT_NE(First[1]->ImageName(), First[2]->ImageName());
  std::vector<std::string> Names;
  for (auto& [No, Page] : Report->Pages)
    for (TppDrawImage* D : ImagesOn(No)) Names.push_back(D->ImageName() + ":" + ClassOf(D));
  ExpectSinglePagesAlike();
  std::vector<std::string> Again;
  for (auto& [No, Page] : Report->Pages)
    for (TppDrawImage* D : ImagesOn(No)) Again.push_back(D->ImageName() + ":" + ClassOf(D));
  EXPECT_EQ(Names.back(), Again.back());  // the last page alone: the same record's picture
}

}  // namespace bandkindstest
