#include "ppreport/core/ppRTTI.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "platform/rtl/FloatFormat.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppTreeNode.h"

namespace {

// A class with one published property of each kind the descriptors map.
class TRttiSample : public TppCommunicator {
  DECLARE_CLASSINFO(TRttiSample)
public:
  using TppCommunicator::TppCommunicator;
  long double Amount = 0;
  bool Visible = false;
  TppUnitType Units = utInches;
  double Ratio = 0;
  float Small = 0;
  int Count = 0;
  std::string Caption;
  TppCommunicator* Link = nullptr;
  int ReadOnlyCount() const { return 7; }
};

const TClassInfo& TRttiSample::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TRttiSample>("TRttiSample", &TppCommunicator::StaticClassInfo())
          .Prop("Amount", &TRttiSample::Amount, &TRttiSample::Amount)
          .AsFloat(TFloatType::Currency)
          .Prop("Visible", &TRttiSample::Visible, &TRttiSample::Visible)
          .Prop("Units", &TRttiSample::Units, &TRttiSample::Units)
          .Prop("Ratio", &TRttiSample::Ratio, &TRttiSample::Ratio)
          .Prop("Small", &TRttiSample::Small, &TRttiSample::Small)
          .Prop("Count", &TRttiSample::Count, &TRttiSample::Count)
          .Prop("Caption", &TRttiSample::Caption, &TRttiSample::Caption)
          .Prop("Link", &TRttiSample::Link, &TRttiSample::Link)
          .Prop("Fixed", &TRttiSample::ReadOnlyCount);
  return Info;
}

// ---- parameter lists

// The sender's variables are what the listener reads and writes.
TEST(TraParamListTest, BoundVariablesCarryValuesBothWays) {
  bool Show = true;
  std::string Text = "abc";
  int64_t Money = 0;
  TppCommunicator* Object = nullptr;
  TppCommunicator Page(nullptr);
  TraParamList P;
  P.AddParam("aShowDialog", vkBoolean, nullptr, "", false, true);
  P.AddParam("Text", vkString, nullptr, "", false, true);
  P.AddParam("Money", vkCurrency);
  P.AddParam("aObject", vkClass, &TppCommunicator::StaticClassInfo());
  P.AddParam("Page", vkPointer, nullptr, "", true);
  P.BindParam(0, &Show);
  P.BindParam(1, &Text);
  P.BindParam(2, &Money);
  P.BindParam(3, &Object);
  P.BindConstParam(4, &Page);

  EXPECT_TRUE(P.Value<bool>(0));
  EXPECT_EQ("abc", P.Value<std::string>(1));
  P.SetValue(0, false);
  P.SetValue<std::string>(1, "xyz");
  P.SetValue(2, 12.3456L);
  P.SetValue<TObject*>(3, &Page);
  EXPECT_FALSE(Show);
  EXPECT_EQ("xyz", Text);
  EXPECT_EQ(123456, Money);
  EXPECT_EQ(&Page, Object);
  EXPECT_EQ(&Page, P.ParamObject(4));
  TraValue V;
  EXPECT_FALSE(P.GetParamValue(4, V));  // a constant object is handed over, not moved
  EXPECT_EQ(4, P.IndexOfParam("PAGE"));

  // An object of another class does not go into the variable.
  TRttiSample Other(nullptr);
  TraParamList Q;
  Q.AddParam("Node", vkClass, &TppTreeNode::StaticClassInfo());
  TppTreeNode* Node = nullptr;
  Q.BindParam(0, &Node);
  TraValue W;
  W.Obj = &Other;
  EXPECT_FALSE(Q.SetParamValue(0, W));
  EXPECT_EQ(nullptr, Node);
}

TEST(TraParamListTest, MisuseIsRefused) {
  TraParamList P;
  P.AddParam(std::string(300, 'x'), vkInteger);
  EXPECT_EQ(255u, P.GetParamRec(0).Name.size());
  std::string Wrong;
  EXPECT_THROW(P.BindParam(0, &Wrong), ETalvorError);
  EXPECT_THROW(P.GetParamRec(1), EListError);
  EXPECT_EQ(0, P.Value<int>(0));  // unbound: nothing to read
  TraValue V;
  EXPECT_FALSE(P.SetParamValue(0, V));
}

// ---- the published fallback

TEST(TraRTTITest, PublishedPropertiesByKind) {
  const TraRTTI& D = TraTppCommunicatorRTTI();
  const TClassInfo& C = TRttiSample::StaticClassInfo();
  struct Case {
    const char* Name;
    TraValueKind Kind;
    bool ReadOnly;
  };
  const Case Cases[] = {{"Amount", vkCurrency, false}, {"Visible", vkBoolean, false}, {"units", vkEnum, false},
                        {"Ratio", vkDouble, false},    {"Small", vkSingle, false},    {"Count", vkInteger, false},
                        {"Caption", vkString, false},  {"Link", vkClass, false},      {"Fixed", vkInteger, true}};
  for (const Case& K : Cases) {
    TraPropRec R;
    ASSERT_TRUE(D.GetPropRec(C, K.Name, R)) << K.Name;
    EXPECT_EQ(K.Kind, R.DataType) << K.Name;
    EXPECT_EQ(K.ReadOnly, R.ReadOnly) << K.Name;
    EXPECT_TRUE(R.IsPublished);
  }
  TraPropRec R;
  D.GetPropRec(C, "UNITS", R);
  EXPECT_EQ("Units", R.Name);  // the declared name
  EXPECT_EQ("TppUnitType", R.TypeName);
  D.GetPropRec(C, "Link", R);
  EXPECT_EQ(&TppCommunicator::StaticClassInfo(), R.ClassType);
  R.Name = "kept";
  EXPECT_FALSE(D.GetPropRec(C, "NoSuchName", R));
  EXPECT_EQ("kept", R.Name);
}

TEST(TraRTTITest, PublishedValuesAndTheirTexts) {
  const TraRTTI& D = TraTppCommunicatorRTTI();
  TRttiSample S(nullptr);
  S.Amount = 12.3456L;
  S.Visible = true;
  S.Units = utMMThousandths;
  S.Ratio = 1.0 / 3;
  S.Small = 0.5f;

  TraValue V;
  ASSERT_TRUE(D.GetPropValue(&S, "Amount", V));
  EXPECT_EQ(123456, V.Ord);
  S.Amount = 0;
  ASSERT_TRUE(D.SetPropValue(&S, "Amount", V));
  EXPECT_EQ(12.3456L, S.Amount);

  std::string Text;
  EXPECT_TRUE(D.GetPropValueText(&S, "Visible", Text));
  EXPECT_EQ("True", Text);
  D.GetPropValueText(&S, "Units", Text);
  EXPECT_EQ("utMMThousandths", Text);
  D.GetPropValueText(&S, "Ratio", Text);
  EXPECT_EQ(FloatToStr(1.0 / 3), Text);
  D.GetPropValueText(&S, "Small", Text);
  EXPECT_EQ("0,5", Text);
  D.GetPropValueText(&S, "Amount", Text);
  EXPECT_EQ("R$ 12,35", Text);
  EXPECT_FALSE(D.GetPropValueText(&S, "Nothing", Text));
  EXPECT_EQ("", Text);

  TraValue Flag;
  Flag.Ord = 0;
  EXPECT_TRUE(D.SetPropValue(&S, "Visible", Flag));
  EXPECT_FALSE(S.Visible);
  EXPECT_FALSE(D.SetPropValue(&S, "Fixed", Flag));  // no setter
  EXPECT_FALSE(D.SetPropValue(&S, "Nothing", Flag));
  TraValue Wrong;
  TppTreeNode NotACommunicatorTarget(nullptr);
  Wrong.Obj = &NotACommunicatorTarget;
  EXPECT_TRUE(D.SetPropValue(&S, "Link", Wrong));  // a tree node is a communicator
  EXPECT_EQ(&NotACommunicatorTarget, S.Link);
  S.Link = nullptr;
}

// ---- descriptors: names, parameters, calls

TEST(TraRTTITest, TreeNodeDescriptorDescribesItsNames) {
  const TraRTTI& D = TraTppTreeNodeRTTI();
  const TClassInfo& C = TppTreeNode::StaticClassInfo();
  TraPropRec R;
  ASSERT_TRUE(D.GetPropRec(C, "childnodes", R));
  EXPECT_EQ(vkMethod, R.DataType);
  EXPECT_TRUE(R.IsArray);
  EXPECT_EQ(&C, R.ClassType);
  ASSERT_TRUE(R.Params);
  EXPECT_EQ(2, R.Params->Count());

  ASSERT_TRUE(D.GetPropRec(C, "CloneNode", R));
  ASSERT_TRUE(R.Params);
  ASSERT_EQ(3, R.Params->Count());
  EXPECT_EQ("aRecurse", R.Params->GetParamRec(1).Name);
  EXPECT_EQ(vkBoolean, R.Params->GetParamRec(1).DataType);
  EXPECT_EQ(&C, R.ClassType);

  ASSERT_TRUE(D.GetPropRec(C, "GetNext", R));  // described without its list
  EXPECT_FALSE(R.Params);
  EXPECT_EQ(1, D.GetParams("GetNext")->Count());

  ASSERT_TRUE(D.GetPropRec(C, "Level", R));
  EXPECT_TRUE(R.ReadOnly);
  EXPECT_FALSE(R.IsPublished);
  ASSERT_TRUE(D.GetPropRec(C, "Parent", R));  // from the relative's descriptor
  EXPECT_EQ(&TppRelative::StaticClassInfo(), R.ClassType);
  EXPECT_FALSE(R.ReadOnly);

  // The root descriptors' names reach every descendant; a component's Create takes its owner.
  ASSERT_TRUE(D.GetPropRec(C, "Create", R));
  EXPECT_TRUE(R.IsConstructor);
  EXPECT_EQ(&C, R.ClassType);
  ASSERT_EQ(3, R.Params->Count());
  EXPECT_EQ("Owner", R.Params->GetParamRec(0).Name);
  EXPECT_EQ("Class", R.Params->GetParamRec(1).Name);
  EXPECT_EQ(&C, R.Params->GetParamRec(1).ClassType);
  EXPECT_EQ(nullptr, D.GetParams("NoSuchName"));

  TStringList Names;
  D.GetPropList(C, Names);
  // Published (Name, Position, Tag), then the root descriptors' names, then the tree node's.
  EXPECT_EQ("Name", Names.Get(0));
  EXPECT_EQ("Position", Names.Get(1));
  EXPECT_EQ("Tag", Names.Get(2));
  EXPECT_EQ("ClassName", Names.Get(3));
  EXPECT_EQ("Owner", Names.Get(7));
  EXPECT_EQ("AbsoluteChildNodeCount", Names.Get(8));
  EXPECT_EQ("GetPreviousSibling", Names.Get(Names.Count() - 1));
}

TEST(TraRTTITest, CallsAndValuesThroughTheChain) {
  const TraRTTI& D = TraTppTreeNodeRTTI();
  TppTreeNode Root(nullptr);
  TppTreeNode* A = Root.Add();
  TppTreeNode* B = Root.Add();
  A->Add();

  // An indexed property read by CallMethod, only when asked to get.
  int Index = 1;
  TppTreeNode* Result = nullptr;
  auto P = D.GetParams("ChildNodes");
  P->BindParam(0, &Index);
  P->BindParam(1, &Result);
  EXPECT_TRUE(D.CallMethod(&Root, "ChildNodes", P.get()));
  EXPECT_EQ(B, Result);
  Result = nullptr;
  EXPECT_FALSE(D.CallMethod(&Root, "ChildNodes", P.get(), false));
  EXPECT_EQ(nullptr, Result);

  // A method with arguments and a result; a navigation method.
  auto Clone = D.GetParams("CloneNode");
  TppTreeNode* NewParent = B;
  bool Recurse = true;
  Clone->BindParam(0, &NewParent);
  Clone->BindParam(1, &Recurse);
  Clone->BindParam(2, &Result);
  ASSERT_TRUE(D.CallMethod(A, "CloneNode", Clone.get()));
  ASSERT_NE(nullptr, Result);
  EXPECT_EQ(B, Result->GetParentNode());
  EXPECT_EQ(1, Result->GetChildNodeCount());
  auto Next = D.GetParams("GetNext");
  Next->BindParam(0, &Result);
  ASSERT_TRUE(D.CallMethod(A, "getnext", Next.get()));
  EXPECT_EQ(A->GetFirstChild(), Result);
  EXPECT_FALSE(D.CallMethod(A, "GetNext", nullptr));  // no list to answer into

  // Values: the descriptor's own, the relative's, the component's, the communicator's.
  TraValue V;
  ASSERT_TRUE(D.GetPropValue(&Root, "AbsoluteChildNodeCount", V));
  EXPECT_EQ(5, V.Ord);
  ASSERT_TRUE(D.GetPropValue(B, "Index", V));
  EXPECT_EQ(1, V.Ord);
  V.Ord = 0;
  ASSERT_TRUE(D.SetPropValue(B, "Position", V));
  EXPECT_EQ(B, Root.GetFirstChild());
  EXPECT_FALSE(D.SetPropValue(B, "Level", V));  // read-only, published nowhere
  V.Str = "Raiz";
  ASSERT_TRUE(D.SetPropValue(&Root, "UserName", V));
  EXPECT_EQ("Raiz", Root.GetUserName());
  V.Ord = 42;
  ASSERT_TRUE(D.SetPropValue(&Root, "Tag", V));
  EXPECT_EQ(42, Root.Tag());
  ASSERT_TRUE(D.GetPropValue(A, "Owner", V));
  EXPECT_EQ(&Root, V.Obj);
  EXPECT_FALSE(D.SetPropValue(A, "Owner", V));  // described writable; nothing writes it
  EXPECT_FALSE(D.GetPropValue(A, "OnNothing", V));
  std::string Text;
  D.GetPropValueText(B, "ChildType", Text);
  EXPECT_EQ("0", Text);
}

TEST(TraRTTITest, RootDescriptorsCreateNameAndFreeObjects) {
  const TraRTTI& D = TraTComponentRTTI();
  TComponent Owner(nullptr);
  TraPropRec R;
  ASSERT_TRUE(D.GetPropRec(TppTreeNode::StaticClassInfo(), "Create", R));
  TComponent* OwnerArg = &Owner;
  TppTreeNode* Made = nullptr;
  R.Params->BindParam(0, &OwnerArg);
  R.Params->BindParam(2, &Made);
  ASSERT_TRUE(D.CallMethod(&Owner, "Create", R.Params.get()));
  ASSERT_NE(nullptr, Made);
  EXPECT_EQ(&Owner, Made->Owner());

  std::string Name;
  auto ClassNameParams = D.GetParams("ClassName");
  ClassNameParams->BindParam(0, &Name);
  ASSERT_TRUE(D.CallMethod(Made, "ClassName", ClassNameParams.get()));
  EXPECT_EQ("TppTreeNode", Name);

  // Assign: a tree node takes another tree node; anything else is the class library's error.
  auto Assign = TraTppTreeNodeRTTI().GetParams("Assign");
  TPersistent* Source = &Owner;
  Assign->BindParam(0, &Source);
  EXPECT_THROW(TraTppTreeNodeRTTI().CallMethod(Made, "Assign", Assign.get()), EConvertError);

  EXPECT_TRUE(D.CallMethod(Made, "Free", nullptr));
  EXPECT_EQ(0, Owner.ComponentCount());

  // The TObject form makes an object without owner.
  ASSERT_TRUE(TraTObjectRTTI().GetPropRec(TppCommunicator::StaticClassInfo(), "Create", R));
  ASSERT_EQ(2, R.Params->Count());
  TppCommunicator* Plain = nullptr;
  R.Params->BindParam(1, &Plain);
  ASSERT_TRUE(TraTObjectRTTI().CallMethod(&Owner, "Create", R.Params.get()));
  ASSERT_NE(nullptr, Plain);
  EXPECT_EQ(nullptr, Plain->Owner());
  Plain->Free();
}

// ---- the registry

class TSubNode : public TppTreeNode {
  DECLARE_CLASSINFO(TSubNode)
public:
  using TppTreeNode::TppTreeNode;
};
const TClassInfo& TSubNode::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSubNode>("TSubNode", &TppTreeNode::StaticClassInfo());
  return Info;
}
class TSubSubNode : public TSubNode {
  DECLARE_CLASSINFO(TSubSubNode)
public:
  using TSubNode::TSubNode;
};
const TClassInfo& TSubSubNode::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSubSubNode>("TSubSubNode", &TSubNode::StaticClassInfo());
  return Info;
}
class TPlainPersistent : public TPersistent {};

// A descriptor whose own lineage leaves its class's (as the page's does): it descends from the
// component descriptor although TSubNode descends from TppTreeNode.
const TraRTTI& TraTSubNodeRTTI() {
  static const TraRTTI Info =
      TraRTTIDef<TSubNode>("TraTSubNodeRTTI", TraTComponentRTTI()).Describe("Extra", vkInteger, true);
  return Info;
}

TEST(TraRTTIClassRegistryTest, NearestDescribedAncestorWins) {
  EXPECT_EQ(&TraTppTreeNodeRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppTreeNode::StaticClassInfo()));
  EXPECT_EQ(&TraTppTreeNodeRTTI(), TraRTTIClassRegistry::GetRTTIClass(TSubSubNode::StaticClassInfo()));
  EXPECT_EQ(&TraTppRelativeRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppRelative::StaticClassInfo()));
  EXPECT_EQ(&TraTComponentRTTI(), TraRTTIClassRegistry::GetRTTIClass(TComponent::StaticClassInfo()));
  TPlainPersistent Plain;
  EXPECT_EQ(&TraTObjectRTTI(), TraRTTIClassRegistry::GetRTTIClass(Plain));
  EXPECT_EQ(&TraTObjectRTTI(), TraRTTIClassRegistry::GetRTTIClass(TObjectClassInfo()));

  const int Count = TraRTTIClassRegistry::Count();
  TraRTTIClassRegistry::RegisterRTTIClass(TraTSubNodeRTTI());
  TraRTTIClassRegistry::RegisterRTTIClass(TraTSubNodeRTTI());
  EXPECT_EQ(Count + 1, TraRTTIClassRegistry::Count());
  EXPECT_EQ(&TraTSubNodeRTTI().ClassInfo(), GetClass("TraTSubNodeRTTI"));
  EXPECT_EQ(&TraTSubNodeRTTI(), TraRTTIClassRegistry::GetRTTIClass(TSubSubNode::StaticClassInfo()));
  EXPECT_EQ(&TraTppTreeNodeRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppTreeNode::StaticClassInfo()));
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTSubNodeRTTI());
  EXPECT_EQ(Count, TraRTTIClassRegistry::Count());
  EXPECT_EQ(nullptr, GetClass("TraTSubNodeRTTI"));
  EXPECT_EQ(&TraTppTreeNodeRTTI(), TraRTTIClassRegistry::GetRTTIClass(TSubSubNode::StaticClassInfo()));
  EXPECT_TRUE(TraTSubNodeRTTI().InheritsFrom(TraTObjectRTTI()));
  EXPECT_FALSE(TraTSubNodeRTTI().InheritsFrom(TraTppRelativeRTTI()));
}

}  // namespace
