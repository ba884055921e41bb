#include "ppreport/core/ppAutoSearch.h"

#include <gtest/gtest.h>

#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateTime.h"
#include "ppreport/core/ppAutoSearchRTTI.h"
#include "ppreport/core/ppDataSetPipe.h"

namespace {

// A pipeline with the two published settings the groups read and write.
class TDescribedPipeline : public TppDataSetPipeline {
  DECLARE_CLASSINFO(TDescribedPipeline)
public:
  using TppDataSetPipeline::TppDataSetPipeline;
  std::string Description;
  int AutoSearchTabOrder = 0;
};

const TClassInfo& TDescribedPipeline::StaticClassInfo() {
  using P = TDescribedPipeline;
  static const TClassInfo Info = TClassDef<P>("TDescribedPipeline", &TppDataSetPipeline::StaticClassInfo())
                                     .Prop("Description", &P::Description, &P::Description)
                                     .Prop("AutoSearchTabOrder", &P::AutoSearchTabOrder, &P::AutoSearchTabOrder);
  return Info;
}

TEST(TppAutoSearchFieldTest, OperatorTexts) {
  struct TCase {
    TppSearchOperatorType Operator;
    const char* Date;
    const char* Other;
  };
  const TCase Cases[] = {
      {soEqual, "é", "é igual a"},
      {soNotEqual, "não é", "não é igual a"},
      {soLessThan, "antecede a", "é menor que"},
      {soLessThanOrEqualTo, "antecede ou é igual a", "é menor ou igual a"},
      {soGreaterThan, "sucede a", "é maior que"},
      {soGreaterThanOrEqualTo, "sucede ou é igual a", "é maior ou igual a"},
      {soLike, "começa com", "começa com"},
      {soNotLike, "não começa com", "não começa com"},
      {soBetween, "esta entre", "esta entre"},
      {soNotBetween, "não esta entre", "não esta entre"},
      {soInList, "é igual a um dos valores da lista", "é igual a um dos valores da lista"},
      {soNotInList, "não é igual a nenhum dos valores da lista", "não é igual a nenhum dos valores da lista"},
      {soBlank, "é vazio", "é vazio"},
      {soNotBlank, "não é vazio", "não é vazio"},
  };
  TppAutoSearchField F(nullptr);
  for (const TCase& C : Cases) {
    F.SetSearchOperator(C.Operator);
    for (TppDataType Type : {dtDate, dtTime, dtDateTime}) {
      F.SetDataType(Type);
      EXPECT_EQ(C.Date, F.GetOperatorDescription()) << C.Operator << " " << Type;
    }
    for (TppDataType Type : {dtInteger, dtString, dtCurrency}) {
      F.SetDataType(Type);
      EXPECT_EQ(C.Other, F.GetOperatorDescription()) << C.Operator << " " << Type;
    }
  }

  // The whole criterion in words.
  F.SetFieldName("CustNo");
  F.SetFieldAlias("Cliente");
  F.SetDataType(dtInteger);
  F.SetSearchOperator(soLessThan);
  F.SetSearchExpression("50");
  F.SetFirstField(true);
  EXPECT_EQ("Mostrar todos os dados onde Cliente é menor que 50", F.GetDescription());
  F.SetFirstField(false);
  EXPECT_EQ("e Cliente é menor que 50", F.GetDescription());
  F.SetShowAllValues(true);
  F.SetFirstField(true);
  EXPECT_EQ("Mostrar todos os dados onde Cliente tem qualquer valor.", F.GetDescription());
}

TEST(TppAutoSearchFieldTest, ValuesOfTheExpression) {
  TppAutoSearchField F(nullptr);
  F.SetDataType(dtInteger);
  F.SetSearchExpression("1,2,,3");
  EXPECT_EQ(4, F.GetValueCount());
  EXPECT_EQ(Variant(int64_t(2)), F.GetValues(1));
  EXPECT_THROW(F.GetValues(2), EConvertError);
  EXPECT_EQ(Variant(std::string()), F.GetValues(4));  // beyond the parts
  F.SetSearchExpression("1,2,");
  EXPECT_EQ(2, F.GetValueCount());
  F.SetSearchExpression("");
  EXPECT_EQ(Variant(std::string()), F.GetValue());

  F.SetDataType(dtString);
  F.SetWildCard("%");
  F.SetSearchExpression("ABC");
  EXPECT_EQ(Variant(std::string("ABC%")), F.GetValue());
  F.SetSearchExpression("AB%C");
  EXPECT_EQ(Variant(std::string("AB%C")), F.GetValue());

  F.SetDataType(dtCurrency);
  F.SetSearchExpression("2,5");  // the comma separates: two values
  EXPECT_EQ(Variant::OfCurrency(50000), F.GetValues(1));
  F.SetDataType(dtDate);
  F.SetSearchExpression(DateToStr(EncodeDate(2024, 3, 5)));
  EXPECT_EQ(Variant::OfDate(EncodeDate(2024, 3, 5)), F.GetValue());
  F.SetDataType(dtBLOB);
  EXPECT_EQ(Variant(std::string()), F.GetValue());
}

TEST(TppAutoSearchFieldTest, ChangesAndCriteria) {
  TppAutoSearchField F(nullptr);
  int Changes = 0;
  F.OnChange = [&](TObject*) { ++Changes; };
  F.SetFieldName("A");
  F.SetSearchExpression("x");
  F.SetSearchOperator(soLike);
  F.SetMandatory(true);
  F.SetDataType(dtInteger);  // stores only
  EXPECT_EQ(4, Changes);
  F.SetShowAllValues(true);
  EXPECT_FALSE(F.Mandatory());
  F.DisableCriteria();
  EXPECT_FALSE(F.CriteriaEnabled());
  EXPECT_EQ(6, Changes);

  TppAutoSearchField Other(nullptr);
  Other.SetSearchExpression("x");
  Other.SetShowAllValues(true);
  EXPECT_FALSE(F.AssignCriteria(&Other));
  Other.SetSearchExpression("X");  // letter case counts
  EXPECT_TRUE(F.AssignCriteria(&Other));
  EXPECT_EQ("X", F.SearchExpression());

  TppAutoSearchField Copy(nullptr);
  Copy.Assign(&F);
  EXPECT_EQ(F.Settings(), Copy.Settings());
  EXPECT_EQ(soLike, Copy.SearchOperator());
}

TEST(TppAutoSearchGroupsTest, OneGroupPerPipelineDescription) {
  TComponent Form(nullptr);
  auto* Customers = new TDescribedPipeline(&Form);
  Customers->Description = "Clientes";
  Customers->AutoSearchTabOrder = 2;
  auto* Orders = new TDescribedPipeline(&Form);
  Orders->Description = "Pedidos";
  auto* AlsoCustomers = new TDescribedPipeline(&Form);
  AlsoCustomers->Description = "Clientes";
  AlsoCustomers->AutoSearchTabOrder = 2;
  TppRelative Holder(nullptr);  // the criteria's own parent, as a report holds them
  std::vector<TppAutoSearchField*> Fields;
  for (TppDataPipeline* P : {static_cast<TppDataPipeline*>(Customers), static_cast<TppDataPipeline*>(Orders),
                             static_cast<TppDataPipeline*>(AlsoCustomers)}) {
    auto* F = new TppAutoSearchField(nullptr);
    F->SetParent(&Holder);
    F->SetDataPipeline(P);
    Fields.push_back(F);
  }
  {
    TppAutoSearchGroups Groups(nullptr);
    Groups.CreateGroups(Fields);
    ASSERT_EQ(2, Groups.GroupCount());
    EXPECT_EQ("Clientes", Groups.GetGroup(0)->Description());
    EXPECT_EQ(2, Groups.GetGroup(0)->TabOrder());
    EXPECT_EQ(2, Groups.GetGroup(0)->FieldCount());
    EXPECT_EQ(nullptr, Groups.GetGroup(2));
    std::vector<TppAutoSearchField*> List;
    Groups.GetFieldList(List);
    EXPECT_EQ((std::vector<TppAutoSearchField*>{Fields[0], Fields[2], Fields[1]}), List);
    EXPECT_EQ(&Holder, Fields[0]->Parent());  // still where they were

    // A copy owns its criteria; freeing it frees those only.
    TppAutoSearchGroups Copy(nullptr);
    Copy.Assign(&Groups);
    ASSERT_EQ(2, Copy.GroupCount());
    TppAutoSearchField* Copied = Copy.GetGroup(0)->GetField(0);
    EXPECT_NE(Fields[0], Copied);
    EXPECT_EQ(Copy.GetGroup(0), Copied->Parent());
    Copy.GetGroup(0)->SetTabOrder(5);
    Groups.GetGroup(0)->SetTabOrder(7);
    // A criterion freed while grouped leaves its group.
    Fields[2]->Free();
    Fields.pop_back();
    EXPECT_EQ(1, Groups.GetGroup(0)->FieldCount());
  }
  // The groups are gone, the criteria of the holder are not; the tab order went back.
  EXPECT_EQ(2, Holder.GetChildCount());
  EXPECT_EQ(7, Customers->AutoSearchTabOrder);

  // A freed pipeline is forgotten by the criterion.
  Orders->Free();
  EXPECT_EQ(nullptr, Fields[1]->DataPipeline());
}

TEST(TppAutoSearchFieldTest, Descriptor) {
  TppAutoSearchField F(nullptr);
  F.SetDataType(dtInteger);
  F.SetSearchExpression("4,8");
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(F);
  ASSERT_EQ(&TraTppAutoSearchFieldRTTI(), D);
  TraValue V;
  ASSERT_TRUE(D->GetPropValue(&F, "ValueCount", V));
  EXPECT_EQ(2, V.Ord);
  int Index = 1;
  Variant Value;
  auto P = D->GetParams("Values");
  P->BindParam(0, &Index);
  P->BindParam(1, &Value);
  ASSERT_TRUE(D->CallMethod(&F, "Values", P.get()));
  EXPECT_EQ(Variant(int64_t(8)), Value);
  ASSERT_TRUE(D->CallMethod(&F, "DisableCriteria", nullptr));
  EXPECT_FALSE(F.CriteriaEnabled());
}

}  // namespace
