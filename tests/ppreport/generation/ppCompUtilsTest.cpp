// Creating components beside others with unique names, and reading numbers off user names.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ppreport/generation/ppCompUtils.h"
#include "ppreport/generation/ppMemo.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"

namespace {

// A designer whose component creator records what it was asked to make.
class TCreatorDesigner : public TComponent, public IppDesigner, public IppComponentCreator {
public:
  TCreatorDesigner() : TComponent(nullptr) {}
  ~TCreatorDesigner() override { BeforeDestruction(); }
  void PropertyChanging(const std::string&, TComponent*) override {}
  void Modified(TComponent*) override {}
  void Message(int, intptr_t, intptr_t) override {}
  TComponent* ComponentCreator() override { return this; }
  TComponent* CreateComponent(const TClassInfo& Class, TComponent* Parent, int Left, int Top, int Width,
                              int Height) override {
    ++Made;
    EXPECT_EQ(nullptr, Parent);
    EXPECT_EQ(-1, Left + Top + Width + Height + 3);
    return static_cast<TComponent*>(Class.Create(&Owned));
  }
  TComponent Owned{nullptr};
  int Made = 0;
};

}  // namespace

TEST(ComponentUtilities, UserNameSuffixNumbers) {
  TComponent Form(nullptr);
  auto* Memo = new TppMemo(&Form);
  struct Case {
    const char* UserName;
    const char* Prefix;
    bool Answer;
    int Number;
  };
  for (const Case& C : {Case{"Variable12", "Variable", true, 12}, Case{"Variable", "Variable", false, 0},
                        Case{"VariableX", "Variable", false, 0}, Case{"Var12", "Variable", false, 0},
                        Case{"Variable0", "Variable", false, 0}, Case{"Variable99999999999", "Variable", false, 0}}) {
    SCOPED_TRACE(C.UserName);
    Memo->SetUserName(C.UserName);
    int Number = -1;
    EXPECT_EQ(C.Answer, GetUserNameSuffixNumber(C.Prefix, Memo, Number));
    EXPECT_EQ(C.Number, Number);
  }
  int Number = -1;
  EXPECT_FALSE(GetUserNameSuffixNumber("", &Form, Number));  // not a communicator
}

// At run time the new component joins the owner of the one it is made beside (that one itself
// when it has none), with a Name and a user name nobody there has.
TEST(ComponentUtilities, CreateUniqueComponentBesideAnother) {
  TComponent Form(nullptr);
  auto* Report = new ppbandtest::TBandTestReport(&Form);
  TComponent* First = CreateUniqueComponent(Report, TppMemo::StaticClassInfo());
  TComponent* Second = CreateUniqueComponent(Report, TppMemo::StaticClassInfo());
  ASSERT_NE(nullptr, First);
  ASSERT_NE(nullptr, Second);
  EXPECT_EQ(&Form, First->Owner());
  EXPECT_EQ("ppMemo1", First->Name());
  EXPECT_EQ("ppMemo2", Second->Name());
  EXPECT_NE(static_cast<TppMemo*>(First)->GetUserName(), static_cast<TppMemo*>(Second)->GetUserName());

  auto* Alone = new TppMemo(nullptr);
  std::unique_ptr<TppMemo, void (*)(TppMemo*)> Free(Alone, [](TppMemo* M) { M->Free(); });
  TComponent* Child = CreateUniqueComponent(Alone, TppDBMemo::StaticClassInfo());
  ASSERT_NE(nullptr, Child);
  EXPECT_EQ(Alone, Child->Owner());
  EXPECT_EQ("ppDBMemo1", Child->Name());

  EXPECT_EQ(nullptr, CreateUniqueComponent(nullptr, TppMemo::StaticClassInfo()));
  EXPECT_EQ(nullptr, CreateUniqueComponent(&Form, TppMemo::StaticClassInfo()));
}

// At design time the designer's creator makes the component.
TEST(ComponentUtilities, CreateUniqueComponentThroughTheDesignersCreator) {
  TComponent Form(nullptr);
  TCreatorDesigner Designer;
  auto* Memo = new TppMemo(&Form);
  Memo->SetDesigner(&Designer);
  TComponent* Made = CreateUniqueComponent(Memo, TppDBMemo::StaticClassInfo());
  ASSERT_NE(nullptr, Made);
  EXPECT_EQ(1, Designer.Made);
  EXPECT_EQ(&Designer.Owned, Made->Owner());
  EXPECT_EQ("ppDBMemo1", Made->Name());
}
