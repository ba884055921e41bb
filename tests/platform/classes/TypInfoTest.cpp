#include "platform/classes/TypInfo.h"

#include <gtest/gtest.h>

#include "platform/classes/Classes.h"

namespace {
enum TShade { shLight, shDark, shNone };
}
DEFINE_ENUM_INFO(TShade, "shLight", "shDark", "shNone")

namespace {
class TSample : public TComponent {
  DECLARE_CLASSINFO(TSample)
public:
  using TComponent::TComponent;
  int Count() const { return FCount; }
  void SetCount(int V) { FCount = V; }
  TEvent<void(TSample*, int&)> OnCount;
  std::vector<std::string> Log;
  void CountHandler(TSample* S, int& N) {
    Log.push_back(S->Name());
    N *= 2;
  }

  int FCount = 3;
  bool FOn = false;
  int64_t FBig = 0;
  TShade FShade = shLight;
  uint32_t FShades = 0;
  double FRatio = 0;
  std::string FCaption;
  TComponent* FLink = nullptr;
};

const TClassInfo& TSample::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSample>("TSample", &TComponent::StaticClassInfo())
                                     .Prop("Count", &TSample::Count, &TSample::SetCount)
                                     .Default(3)
                                     .Prop("On", &TSample::FOn, &TSample::FOn)
                                     .Prop("Big", &TSample::FBig, &TSample::FBig)
                                     .Prop("Shade", &TSample::FShade, &TSample::FShade)
                                     .Default(shLight)
                                     .SetProp<TShade>("Shades", &TSample::FShades, &TSample::FShades)
                                     .Prop("Ratio", &TSample::FRatio, &TSample::FRatio)
                                     .Prop("Caption", &TSample::FCaption, &TSample::FCaption)
                                     .Stored([](const TSample& S) { return S.FCaption != "skip"; })
                                     .Prop("Link", &TSample::FLink, &TSample::FLink)
                                     .Event("OnCount", &TSample::OnCount)
                                     .Method("CountHandler", &TSample::CountHandler);
  return Info;
}
// Publishes again what its base declares.
class TSampleChild : public TSample {
  DECLARE_CLASSINFO(TSampleChild)
public:
  using TSample::TSample;
};

const TClassInfo& TSampleChild::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSampleChild>("TSampleChild", &TSample::StaticClassInfo())
                                     .Prop("Caption2", &TSampleChild::FCaption, &TSampleChild::FCaption)
                                     .Event("OnCount2", &TSampleChild::OnCount);
  return Info;
}
}  // namespace

TEST(TypInfoTest, PropertiesTakeTheirKindFromTheGetter) {
  const TClassInfo& C = TSample::StaticClassInfo();
  struct Case {
    const char* Name;
    TPropKind Kind;
  } Cases[] = {{"Name", TPropKind::String},   {"Tag", TPropKind::Integer},   {"count", TPropKind::Integer},
               {"On", TPropKind::Boolean},    {"Big", TPropKind::Int64},     {"Shade", TPropKind::Enum},
               {"Shades", TPropKind::Set},    {"Ratio", TPropKind::Float},   {"Caption", TPropKind::String},
               {"Link", TPropKind::Class},    {"OnCount", TPropKind::Method}};
  for (const Case& K : Cases) {
    const TPropInfo* P = C.FindProp(K.Name);
    ASSERT_NE(P, nullptr) << K.Name;
    EXPECT_EQ(P->Kind, K.Kind) << K.Name;
  }
  EXPECT_EQ(C.FindProp("Missing"), nullptr);
  EXPECT_EQ(C.FindProp("Ratio")->FloatType, TFloatType::Double);
  EXPECT_EQ(C.FindProp("Shade")->Enum->NameOf(shDark), "shDark");
  EXPECT_EQ(C.FindProp("Shades")->Enum->IndexOf("SHNONE"), 2);
  EXPECT_EQ(&C.FindProp("Link")->ClassType(), &TComponent::StaticClassInfo());
  // Ancestors' properties come first.
  auto All = C.AllProps();
  ASSERT_GE(All.size(), 3u);
  EXPECT_EQ(All[0]->Name, "Name");
  EXPECT_EQ(All[2]->Name, "Count");
  EXPECT_TRUE(C.InheritsFrom(&TPersistent::StaticClassInfo()));
}

TEST(TypInfoTest, APropertyPublishedAgainHidesTheAncestorsOne) {
  // A descendant that publishes "Count" again as a text: one "Count" in the list, the descendant's.
  static const TClassInfo Info = TClassDef<TSampleChild>("TSampleRedeclared", &TSample::StaticClassInfo())
                                     .Prop("Count", &TSampleChild::FCaption, &TSampleChild::FCaption);
  int Found = 0;
  for (const TPropInfo* P : Info.AllProps())
    if (P->Name == std::string("Count")) {
      ++Found;
      EXPECT_EQ(P->Kind, TPropKind::String);
    }
  EXPECT_EQ(1, Found);
  EXPECT_EQ(Info.AllProps().size(), TSample::StaticClassInfo().AllProps().size());
}

TEST(TypInfoTest, AccessorsReadAndWriteThroughTheObject) {
  TSample S(nullptr);
  const TClassInfo& C = *S.ClassInfo();
  C.FindProp("Count")->SetOrd(&S, 7);
  C.FindProp("Shade")->SetOrd(&S, shDark);
  C.FindProp("Ratio")->SetFloat(&S, 2.5L);
  C.FindProp("Caption")->SetStr(&S, "Olá");
  C.FindProp("Tag")->SetOrd(&S, -5);
  EXPECT_EQ(S.Count(), 7);
  EXPECT_EQ(S.FShade, shDark);
  EXPECT_EQ(S.FRatio, 2.5);
  EXPECT_EQ(C.FindProp("Caption")->GetStr(&S), "Olá");
  EXPECT_EQ(S.Tag(), -5);
  EXPECT_EQ(C.FindProp("Count")->Default, 3);
  EXPECT_FALSE(C.FindProp("Name")->IsStored(&S));
  S.FCaption = "skip";
  EXPECT_FALSE(C.FindProp("Caption")->IsStored(&S));

  TComponent Other(nullptr);
  C.FindProp("Link")->SetObj(&S, &Other);
  EXPECT_EQ(C.FindProp("Link")->GetObj(&S), &Other);
  TPersistent NotAComponent;
  EXPECT_THROW(C.FindProp("Link")->SetObj(&S, &NotAComponent), EReadError);
}

TEST(TypInfoTest, EventsBindToPublishedMethodsByName) {
  TSample Root(nullptr);
  TSample Child(&Root);
  Child.SetName("Child");
  const TMethodInfo* M = Root.ClassInfo()->FindMethod("counthandler");
  ASSERT_NE(M, nullptr);
  const TPropInfo* P = Child.ClassInfo()->FindProp("OnCount");
  P->SetMethod(&Child, TMethod{M->Name, M->Bind(&Root)});
  int N = 4;
  Child.OnCount(&Child, N);
  EXPECT_EQ(N, 8);
  EXPECT_EQ(Root.Log, std::vector<std::string>{"Child"});
  EXPECT_EQ(P->GetMethod(&Child).Name, "CountHandler");
  // Code assigned directly has no name to stream.
  Child.OnCount = [](TSample*, int&) {};
  EXPECT_FALSE(P->GetMethod(&Child).Assigned());
  // A handler of another signature is refused.
  EXPECT_THROW(P->SetMethod(&Child, TMethod{"X", std::any(std::function<void()>())}), EReadError);

  // A subclass may publish members of its base.
  TSampleChild Sub(&Root);
  const TPropInfo* P2 = Sub.ClassInfo()->FindProp("OnCount2");
  ASSERT_NE(P2, nullptr);
  P2->SetMethod(&Sub, TMethod{M->Name, M->Bind(&Root)});
  N = 1;
  Sub.OnCount(&Sub, N);
  EXPECT_EQ(N, 2);
  EXPECT_EQ(Sub.ClassInfo()->FindProp("count")->GetOrd(&Sub), 3);
}

TEST(TypInfoTest, RegistryFindsClassesByName) {
  EXPECT_EQ(GetClass("TSample"), nullptr);
  RegisterClass(TSample::StaticClassInfo());
  RegisterClass(TSample::StaticClassInfo());
  EXPECT_EQ(GetClass("tsample"), &TSample::StaticClassInfo());
  std::unique_ptr<TComponent, TComponentDeleter> Made(dynamic_cast<TComponent*>(FindClass("TSample").Create(nullptr)));
  ASSERT_NE(Made, nullptr);
  EXPECT_EQ(Made->ClassName(), "TSample");
  UnRegisterClass(TSample::StaticClassInfo());
  EXPECT_THROW(FindClass("TSample"), EClassNotFound);
}
