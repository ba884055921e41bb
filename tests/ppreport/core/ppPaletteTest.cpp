#include "ppreport/core/ppPalette.h"

#include <gtest/gtest.h>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/PPReport.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppModelPalette.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/core/ppUtils.h"

namespace {

class TppPaletteProbe : public TComponent {
  DECLARE_CLASSINFO(TppPaletteProbe)
public:
  using TComponent::TComponent;
};
const TClassInfo& TppPaletteProbe::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPaletteProbe>("TppPaletteProbe", &TComponent::StaticClassInfo());
  return Info;
}

class TCountingListener : public IppRegListListener {
public:
  int Count = 0;
  int ListSize = -1;
  void RegListChanged(TppRegList& List) override {
    ++Count;
    ListSize = List.Count();
  }
};

TEST(ppPaletteTest, RegisterTwiceKeepsTheLaterRegistration) {
  const TClassInfo& C = TppPaletteProbe::StaticClassInfo();
  auto Register = ppRegisterComponentHook();
  auto Unregister = ppUnregisterComponentHook();
  ASSERT_NE(nullptr, Register);
  ASSERT_NE(nullptr, Unregister);
  TppRegList& List = GetRegList();
  const int Before = List.Count();
  TCountingListener Listener;
  List.AddListener(&Listener);
  int Changes = 0;
  List.OnChange = [&](TObject*) { ++Changes; };

  Register(C, "Standard", 3, 154, "A probe");
  Register(C, "Data", 7, 203, "The probe again");
  ASSERT_EQ(Before + 1, List.Count());
  const TppRegComponent* R = List.Find("tpppaletteprobe");
  ASSERT_NE(nullptr, R);
  EXPECT_EQ(&C, R->ComponentClass);
  EXPECT_EQ("Data", R->ToolBarName);
  EXPECT_EQ(7, R->ToolBarPosition);
  EXPECT_EQ(203, R->HintIndex);
  EXPECT_EQ("The probe again", R->Hint);
  EXPECT_EQ(&C, GetClass("TppPaletteProbe"));
  EXPECT_EQ(3, Listener.Count);  // add, delete, add: each after the list's own notice
  EXPECT_EQ(3, Changes);
  EXPECT_EQ(Before + 1, Listener.ListSize);

  Unregister(&C);
  EXPECT_EQ(nullptr, List.Find("TppPaletteProbe"));
  EXPECT_EQ(nullptr, GetClass("TppPaletteProbe"));
  EXPECT_EQ(4, Listener.Count);
  List.RemoveListener(&Listener);
  List.OnChange = nullptr;

  // Not on the palette: only its streaming registration goes.
  RegisterClass(C);
  Unregister(&C);
  EXPECT_EQ(nullptr, GetClass("TppPaletteProbe"));
  EXPECT_EQ(Before, List.Count());
  Unregister(nullptr);
  EXPECT_EQ(4, Listener.Count);
}

// Shutdown clears the hooks and frees the registry with what a component unit left in it, its
// streaming registration included; the other service units let go too. The next start-up installs
// everything again.
TEST(ppPaletteTest, ShutdownClearsHooksAndRegistry) {
  ppRegisterComponentHook()(TppPaletteProbe::StaticClassInfo(), "Standard", 1, 0, "");
  FinalizePPReport();
  EXPECT_EQ(nullptr, ppRegisterComponentHook());
  EXPECT_EQ(nullptr, ppUnregisterComponentHook());
  EXPECT_FALSE(RegListAssigned());
  EXPECT_EQ(nullptr, GetClass("TppPaletteProbe"));
  EXPECT_EQ(nullptr, GetClass("TppFont"));
  EXPECT_EQ(nullptr, DisplayFormatClass());
  EXPECT_FALSE(IsMainThreadContext());  // no main thread while the library is down
  EXPECT_TRUE(RegisteredPPClasses().empty());
  InitializePPReport();
  EXPECT_NE(nullptr, ppRegisterComponentHook());
  EXPECT_NE(nullptr, DisplayFormatClass());
  EXPECT_NE(nullptr, GetClass("TppFont"));
  EXPECT_TRUE(IsMainThreadContext());
}

}  // namespace

namespace {

// Stand-ins for two of the generation library's components.
class TppPaletteCalcProbe : public TComponent {
  DECLARE_CLASSINFO(TppPaletteCalcProbe)
public:
  using TComponent::TComponent;
};
const TClassInfo& TppPaletteCalcProbe::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPaletteCalcProbe>("TppDBCalc", &TComponent::StaticClassInfo());
  return Info;
}
class TppPaletteBreakProbe : public TComponent {
  DECLARE_CLASSINFO(TppPaletteBreakProbe)
public:
  using TComponent::TComponent;
};
const TClassInfo& TppPaletteBreakProbe::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPaletteBreakProbe>("TppPageBreak", &TComponent::StaticClassInfo());
  return Info;
}

TEST(ppPaletteTest, ModelComponentsTakeTheirPlacesAllOrNone) {
  const TClassInfo& Calc = TppPaletteCalcProbe::StaticClassInfo();
  const TClassInfo& Break = TppPaletteBreakProbe::StaticClassInfo();
  const TClassInfo& Stranger = TppPaletteProbe::StaticClassInfo();
  EXPECT_THROW(ppRegisterModelComponents({&Calc, &Stranger}), ETalvorError);
  EXPECT_EQ(nullptr, GetRegList().Find("TppDBCalc"));
  EXPECT_EQ(nullptr, GetClass("TppDBCalc"));

  ppRegisterModelComponents({&Calc, &Break});
  const TppRegComponent* R = GetRegList().Find("TppDBCalc");
  ASSERT_NE(nullptr, R);
  EXPECT_EQ("Data Components", R->ToolBarName);
  EXPECT_EQ(3, R->ToolBarPosition);
  EXPECT_EQ(164, R->HintIndex);
  EXPECT_EQ("", R->Hint);
  R = GetRegList().Find("TppPageBreak");
  ASSERT_NE(nullptr, R);
  EXPECT_EQ("Advanced Components", R->ToolBarName);
  EXPECT_EQ(2, R->ToolBarPosition);
  EXPECT_EQ(1151, R->HintIndex);
  EXPECT_EQ(&Calc, GetClass("TppDBCalc"));

  ppUnregisterModelComponents({&Calc, &Break});
  EXPECT_EQ(nullptr, GetRegList().Find("TppDBCalc"));
  EXPECT_EQ(nullptr, GetClass("TppPageBreak"));
}

TEST(ppPaletteTest, WithoutThePaletteUnitComponentsCannotBeRegistered) {
  const TClassInfo& Calc = TppPaletteCalcProbe::StaticClassInfo();
  FinalizePPReport();
  TFinally Restart([] { InitializePPReport(); });
  try {
    ppRegisterComponent(Calc, "Data Components", 3, 0, "", 164);
    FAIL() << "registered without a hook";
  } catch (const EComponentError& E) {
    EXPECT_EQ("Unable to register component classes.", E.Message());
  }
  try {
    ppUnregisterComponent(Calc);
    FAIL() << "unregistered without a hook";
  } catch (const EComponentError& E) {
    EXPECT_EQ("Unable to unregister component classes.", E.Message());
  }
}

}  // namespace
