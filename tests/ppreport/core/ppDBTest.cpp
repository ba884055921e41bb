#include "ppreport/core/ppDB.h"

#include <gtest/gtest.h>

#include "platform/app/DataModule.h"
#include "platform/classes/Streams.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/Picture.h"
#include "ppreport/core/ppDBRTTI.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppEvents.h"

namespace {

TEST(TppFieldTest, SettingsFollowEachOther) {
  TppField F(nullptr);
  EXPECT_EQ(10, F.FieldLength());
  EXPECT_EQ(-1, F.GetPosition());
  F.SetFieldName("CUSTNO");
  F.SetFieldAlias("CUSTNO");
  F.SetFieldName("CUSTOMER_NO");  // the alias followed the name
  EXPECT_EQ("CUSTOMER_NO", F.FieldAlias());
  F.SetFieldAlias("Customer");
  F.SetFieldName("CNO");  // an alias of its own stays
  EXPECT_EQ("Customer", F.FieldAlias());

  F.SetShowAllValues(true);
  F.SetMandatory(true);
  EXPECT_FALSE(F.ShowAllValues());
  F.SetShowAllValues(true);
  EXPECT_FALSE(F.Mandatory());

  // Without a pipeline a field reads as nothing.
  EXPECT_TRUE(F.GetIsNull());
  EXPECT_EQ(0, F.GetAsDouble());
  EXPECT_EQ("", F.GetAsString());
  EXPECT_TRUE(F.GetValue().IsEmpty());
  EXPECT_EQ(nullptr, F.GetAsPicture());

  TppField Copy(nullptr);
  EXPECT_FALSE(Copy.IsEqual(&F));
  Copy.Assign(&F);
  EXPECT_TRUE(Copy.IsEqual(&F));
  Copy.SetTableName("cust");
  EXPECT_FALSE(Copy.IsEqual(&F));
}

TEST(TppLinkRangeIndexTest, BoundsAreKnownOrNot) {
  TppLinkRangeIndex Index;
  Index.SetRange(7, -1, 12);
  Index.SetRange(3, 4, 5);
  int Bound = 99;
  EXPECT_FALSE(Index.GetRangeStart(7, Bound));
  EXPECT_EQ(99, Bound);
  EXPECT_TRUE(Index.GetRangeEnd(7, Bound));
  EXPECT_EQ(12, Bound);
  EXPECT_EQ(1, Index.IndexOfMasterRecNo(3));
  EXPECT_EQ(-1, Index.IndexOfMasterRecNo(4));
  EXPECT_EQ(nullptr, Index.FindRange(4));
  Index.SetRange(7, 1, 2);  // replaces
  EXPECT_EQ(2, Index.Count());
  EXPECT_TRUE(Index.GetRangeStart(7, Bound));
  EXPECT_EQ(1, Bound);
  Index.Clear();
  EXPECT_FALSE(Index.GetRangeEnd(3, Bound));
}

// A report that has a data module of its own.
class TListReport : public TComponent, public IppPipelineReport {
public:
  using TComponent::TComponent;
  void GetDataModulePipelines(const std::function<void(TppDataPipeline*)>& Add) override {
    for (TppDataPipeline* P : Own) Add(P);
  }
  std::vector<TppDataPipeline*> Own;
};

TEST(TppDataPipelineListTest, ReachablePipelinesByName) {
  TComponent Form(nullptr);
  auto* Report = new TListReport(&Form);
  auto* A = new TppDataSetPipeline(&Form);
  A->SetName("plCustomer");
  A->SetUserName("Clientes");
  auto* Hidden = new TppDataSetPipeline(&Form);
  Hidden->SetVisible(false);
  TDataModule Module(nullptr);
  auto* InModule = new TppDataSetPipeline(&Module);
  InModule->SetName("plOrders");
  TppDataSetPipeline ReportOwn(nullptr);
  ReportOwn.SetName("plOwn");
  Report->Own = {&ReportOwn, A};

  TppDataPipelineList List(Report);
  ASSERT_EQ(3, List.Count());
  EXPECT_EQ(&ReportOwn, List.GetDataPipeline(0));  // the report's own first, each once
  EXPECT_EQ("Clientes", List.Get(1));               // listed by user name
  EXPECT_EQ(InModule, List.GetDataPipeline(2));
  EXPECT_EQ(A, List.GetDataPipelineForName("PLCUSTOMER"));  // found by component name
  EXPECT_EQ(nullptr, List.GetDataPipelineForName("Clientes"));
  EXPECT_EQ(-1, List.IndexOfObject(Hidden));
  EXPECT_THROW(List.GetDataPipeline(3), EListError);
  TppDataPipelineList None(nullptr);
  EXPECT_EQ(0, None.Count());
}

TEST(TppDataPipelineTest, Descriptors) {
  TComponent Form(nullptr);
  auto* Data = new TMemoryDataSet(&Form);
  Data->FieldDefs().Add("Id", ftInteger);
  Data->FieldDefs().Add("Name", ftString, 10);
  Data->AppendRecord({7, "Sete"});
  auto* P = new TppDataSetPipeline(&Form);
  P->SetDataSet(Data);
  P->Open();
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(*P);
  ASSERT_EQ(&TraTppDataPipelineRTTI(), D);

  // Events answer their communicator numbers.
  TraPropRec R;
  for (auto [Name, Id] : {std::pair{"OnFirst", ciPipelineFirst}, {"BeforeOpen", ciPipelineBeforeOpen},
                          {"OnGotoBookmark", ciPipelineGotoBookmark}, {"OnTraversal", ciPipelineTraversal}}) {
    ASSERT_TRUE(D->GetPropRec(TppDataSetPipeline::StaticClassInfo(), Name, R)) << Name;
    EXPECT_EQ(Id, R.EventId) << Name;
  }
  // State and values by name.
  TraValue V;
  ASSERT_TRUE(D->GetPropValue(P, "FieldCount", V));
  EXPECT_EQ(2, V.Ord);
  ASSERT_TRUE(D->GetPropValue(P, "BOF", V));
  EXPECT_EQ(1, V.Ord);
  ASSERT_TRUE(D->GetPropValue(P, "Active", V));
  EXPECT_EQ(1, V.Ord);
  std::string FieldName = "Name";
  Variant Value;
  auto Params = D->GetParams("FieldValues");
  Params->BindParam(0, &FieldName);
  Params->BindParam(1, &Value);
  ASSERT_TRUE(D->CallMethod(P, "FieldValues", Params.get()));
  EXPECT_EQ(Variant(std::string("Sete")), Value);
  // The empty name is the default indexed "FieldValues".
  Value = Variant();
  ASSERT_TRUE(D->CallMethod(P, "", Params.get()));
  EXPECT_EQ(Variant(std::string("Sete")), Value);
  // Described writable, written by no descriptor and not published: refused, nothing changes.
  TraValue Self;
  Self.Obj = P;
  EXPECT_FALSE(D->SetPropValue(P, "MasterDataPipeline", Self));
  EXPECT_EQ(nullptr, P->MasterDataPipeline());
  int Index = 1;
  TppField* Field = nullptr;
  auto Fields = D->GetParams("Fields");
  Fields->BindParam(0, &Index);
  Fields->BindParam(1, &Field);
  ASSERT_TRUE(D->CallMethod(P, "Fields", Fields.get()));
  ASSERT_NE(nullptr, Field);
  EXPECT_EQ("Name", Field->FieldName());

  // The field's own descriptor reads through its pipeline.
  const TraRTTI* FD = TraRTTIClassRegistry::GetRTTIClass(*Field);
  ASSERT_EQ(&TraTppFieldRTTI(), FD);
  ASSERT_TRUE(FD->GetPropValue(Field, "AsString", V));
  EXPECT_EQ("Sete", V.Str);
  ASSERT_TRUE(FD->GetPropValue(Field, "DataPipeline", V));
  EXPECT_EQ(P, V.Obj);
  // A picture is an object like any other: the field's picture, none for a field that holds none.
  ASSERT_TRUE(FD->GetPropValue(Field, "AsPicture", V));
  EXPECT_EQ(nullptr, V.Obj);
  auto* Pictures = new TMemoryDataSet(&Form);
  Pictures->FieldDefs().Add("Photo", ftGraphic);
  TBitmap Bitmap;
  Bitmap.SetSize(3, 2);
  TMemoryStream Bmp;
  Bitmap.SaveToStream(Bmp);
  Pictures->AppendRecord(
      {TDbValue::Blob(std::string(reinterpret_cast<const char*>(Bmp.Memory()), static_cast<size_t>(Bmp.Size())))});
  auto* PicturePipe = new TppDataSetPipeline(&Form);
  PicturePipe->SetDataSet(Pictures);
  PicturePipe->Open();
  TppField* Photo = PicturePipe->GetFieldAt(0);
  ASSERT_NE(nullptr, Photo);
  ASSERT_TRUE(FD->GetPropValue(Photo, "AsPicture", V));
  auto* Picture = dynamic_cast<TPicture*>(V.Obj);
  ASSERT_NE(nullptr, Picture);
  EXPECT_EQ(3, Picture->Width());
  EXPECT_EQ(2, Picture->Height());

  // A link made by name.
  auto* Master = new TppDataSetPipeline(&Form);
  Master->SetDataSet(Data);
  std::string MasterAlias = "Id", DetailAlias = "Id";
  TppMasterFieldLink* Link = nullptr;
  auto Add = D->GetParams("AddLink");
  EXPECT_EQ("MasterPipeline", Add->GetParamRec(0).Name);
  Add->BindParam(0, &Master);
  Add->BindParam(1, &MasterAlias);
  Add->BindParam(2, &DetailAlias);
  Add->BindParam(3, &Link);
  ASSERT_TRUE(D->CallMethod(P, "AddLink", Add.get()));
  ASSERT_NE(nullptr, Link);
  EXPECT_EQ(Master, P->MasterDataPipeline());
  ASSERT_TRUE(D->GetPropValue(P, "LinkCount", V));
  EXPECT_EQ(1, V.Ord);
}

}  // namespace
