#include "platform/classes/Classes.h"

#include <gtest/gtest.h>

#include "platform/classes/SyncObjs.h"
#include "platform/classes/TempFiles.h"

namespace {
// Records what it hears and counts destructions.
class TProbe : public TComponent {
public:
  TProbe(TComponent* Owner, int* Deaths, std::vector<std::string>* Log = nullptr)
      : TComponent(Owner), FDeaths(Deaths), FLog(Log) {}
  ~TProbe() override { ++*FDeaths; }
  TComponent* Watched = nullptr;

protected:
  void Notification(TComponent* C, TOperation Op) override {
    TComponent::Notification(C, Op);
    if (Op == opRemove && C == Watched) Watched = nullptr;
    if (FLog) FLog->push_back(Name() + (Op == opRemove ? " -" : " +"));
  }

private:
  int* FDeaths;
  std::vector<std::string>* FLog;
};
}  // namespace

TEST(ComponentTest, OwnerFreesOwnedInOrder) {
  int Deaths = 0;
  auto* Root = new TComponent(nullptr);
  auto* A = new TProbe(Root, &Deaths);
  auto* B = new TProbe(Root, &Deaths);
  new TProbe(A, &Deaths);
  A->SetName("A");
  B->SetName("B");
  ASSERT_EQ(Root->ComponentCount(), 2);
  EXPECT_EQ(Root->Components(1), B);
  EXPECT_EQ(B->ComponentIndex(), 1);
  EXPECT_EQ(Root->FindComponent("b"), B);
  delete B;  // leaves its owner's list
  EXPECT_EQ(Root->ComponentCount(), 1);
  delete Root;
  EXPECT_EQ(Deaths, 3);
}

TEST(ComponentTest, NamesAreValidatedAmongSiblings) {
  TComponent Root(nullptr);
  auto* A = new TComponent(&Root);
  auto* B = new TComponent(&Root);
  A->SetName("Band1");
  EXPECT_THROW(B->SetName("BAND1"), EComponentError);
  EXPECT_THROW(B->SetName("1Band"), EComponentError);
  EXPECT_THROW(B->SetName("a b"), EComponentError);
  B->SetName("Band2");
  A->SetName("band1");  // own name in another case is fine
  EXPECT_EQ(A->Name(), "band1");
}

TEST(ComponentTest, FreeNotificationClearsReferences) {
  int Deaths = 0;
  TProbe Watcher(nullptr, &Deaths);
  auto* Target = new TComponent(nullptr);
  Watcher.Watched = Target;
  Target->FreeNotification(&Watcher);
  delete Target;
  EXPECT_EQ(Watcher.Watched, nullptr);
  // The reverse link is gone too: destroying the watcher later touches nothing freed.
}

namespace {
// A component with state of its own that a receiver reads when told it goes.
class TBand : public TComponent {
public:
  TBand(TComponent* Owner, std::string Title) : TComponent(Owner), Title(std::move(Title)) {}
  std::string Title;
};

// Keeps a pointer to one band and logs, by real class, every component it hears go.
class TReport : public TComponent {
public:
  using TComponent::TComponent;
  TBand* Current = nullptr;
  std::vector<std::string>* Log = nullptr;

protected:
  void Notification(TComponent* C, TOperation Op) override {
    TComponent::Notification(C, Op);
    if (Op != opRemove) return;
    auto* Band = dynamic_cast<TBand*>(C);
    if (Log) Log->push_back(Band ? Name() + " lost " + Band->Title : Name() + " lost a non-band");
    if (C == Current) Current = nullptr;
  }
};
}  // namespace

TEST(ComponentTest, FreeingTellsReceiversAndTheOwnerWhileTheComponentIsWhole) {
  std::vector<std::string> Log;
  auto* Owner = new TReport(nullptr);
  Owner->SetName("Owner");
  Owner->Log = &Log;
  TReport Watcher(nullptr);
  Watcher.SetName("Watcher");
  Watcher.Log = &Log;

  // Freed by whoever holds it: the watcher and the owner both see a TBand.
  auto* Header = new TBand(Owner, "Header");
  Header->FreeNotification(&Watcher);
  Watcher.Current = Header;
  Header->Free();
  EXPECT_EQ(Log, (std::vector<std::string>{"Watcher lost Header", "Owner lost Header"}));
  EXPECT_EQ(Watcher.Current, nullptr);
  EXPECT_EQ(Owner->ComponentCount(), 0);

  // Freed by its owner: the owner's override runs for each child, the receiver sees the band.
  Log.clear();
  auto* Detail = new TBand(Owner, "Detail");
  new TBand(Owner, "Footer");
  Detail->FreeNotification(&Watcher);
  Owner->Current = Detail;
  FreeAndNil(Owner);
  EXPECT_EQ(Log, (std::vector<std::string>{"Owner lost Footer", "Watcher lost Detail", "Owner lost Detail"}));
}

TEST(ComponentTest, AStackOwnerStillFreesItsChildrenWhole) {
  // Without Free the owner itself is only a TComponent when its destructor frees the children, but
  // each child still goes through its own whole step and receivers see its real class.
  std::vector<std::string> Log;
  TReport Watcher(nullptr);
  Watcher.SetName("Watcher");
  Watcher.Log = &Log;
  {
    TComponent Owner(nullptr);
    auto* Band = new TBand(&Owner, "Summary");
    Band->FreeNotification(&Watcher);
  }
  EXPECT_EQ(Log, (std::vector<std::string>{"Watcher lost Summary"}));
}

TEST(ComponentTest, ClassInfoAndAssign) {
  TComponent C(nullptr);
  EXPECT_EQ(C.ClassName(), "TComponent");
  EXPECT_TRUE(C.InheritsFrom(TPersistent::StaticClassInfo()));
  TComponent D(nullptr);
  EXPECT_THROW(C.Assign(&D), EConvertError);
}

TEST(SyncTest, CriticalSectionIsReentrant) {
  TCriticalSection Cs;
  TLock Outer(Cs);
  TLock Inner(Cs);
  SUCCEED();
}

TEST(TempFilesTest, UniqueEmptyFiles) {
  std::string A = GetTempFileName(GetTempPath(), "LXP");
  std::string B = GetTempFileName(GetTempPath(), "LXP");
  EXPECT_NE(A, B);
  EXPECT_TRUE(FileExists(A));
  EXPECT_EQ(ExtractFileName(A).rfind("LXP", 0), 0u);
  EXPECT_TRUE(DeleteFile(A));
  EXPECT_TRUE(DeleteFile(B));
  EXPECT_THROW(GetTempFileName("/nonexistent-dir-xyz", "LXP"), EFCreateError);
}

TEST(ComponentTest, ManySiblingsKeepNameLookupsRight) {
  // Past a few dozen siblings the owner indexes names; renames and removals must follow.
  TComponent Root(nullptr);
  std::vector<TComponent*> All;
  for (int I = 0; I < 100; ++I) {
    All.push_back(new TComponent(&Root));
    if (I % 10) All.back()->SetName("C" + std::to_string(I));
  }
  EXPECT_EQ(Root.FindComponent("c42"), All[42]);
  EXPECT_EQ(Root.FindComponent("C40"), nullptr);  // never named
  All[42]->SetName("Renamed");
  EXPECT_EQ(Root.FindComponent("C42"), nullptr);
  EXPECT_EQ(Root.FindComponent("RENAMED"), All[42]);
  EXPECT_THROW(All[43]->SetName("renamed"), EComponentError);
  All[40]->SetName("C42");  // the old name is free again
  EXPECT_EQ(Root.FindComponent("C42"), All[40]);
  delete All[55];
  EXPECT_EQ(Root.FindComponent("C55"), nullptr);
  auto* Moved = All[56];
  TComponent Other(nullptr);
  Other.InsertComponent(Moved);
  EXPECT_EQ(Root.FindComponent("C56"), nullptr);
  EXPECT_EQ(Other.FindComponent("C56"), Moved);
  auto* Late = new TComponent(&Root);
  Late->SetName("C56");
  EXPECT_EQ(Root.FindComponent("C56"), Late);
  EXPECT_EQ(Root.ComponentCount(), 99);
}

TEST(ComponentTest, FreeComponentNameTakesTheSmallestFreeNumber) {
  TComponent Root(nullptr);
  EXPECT_EQ(FreeComponentName(&Root, "DetailBand"), "DetailBand1");
  auto* A = new TComponent(&Root);
  A->SetName("DetailBand1");
  auto* B = new TComponent(&Root);
  B->SetName("detailband3");  // names compare without case
  EXPECT_EQ(FreeComponentName(&Root, "DetailBand"), "DetailBand2");
  A->SetName("Other");
  EXPECT_EQ(FreeComponentName(&Root, "DetailBand"), "DetailBand1");
  B->SetName("DetailBand2");
  new TComponent(&Root);  // unnamed components take no number
  EXPECT_EQ(FreeComponentName(&Root, "DetailBand"), "DetailBand1");
  EXPECT_EQ(FreeComponentName(nullptr, "TitleBand"), "TitleBand1");
}

TEST(ComponentTest, DesigningGoesDownToOwnedAndInsertedComponents) {
  TComponent Root(nullptr);
  auto* Early = new TComponent(&Root);
  auto* Grand = new TComponent(Early);
  Root.SetDesigning(true);
  EXPECT_TRUE(Early->HasState(csDesigning));
  EXPECT_TRUE(Grand->HasState(csDesigning));
  auto* Late = new TComponent(&Root);
  EXPECT_TRUE(Late->HasState(csDesigning));
  Root.SetDesigning(false, false);
  EXPECT_FALSE(Root.HasState(csDesigning));
  EXPECT_TRUE(Late->HasState(csDesigning));
}
