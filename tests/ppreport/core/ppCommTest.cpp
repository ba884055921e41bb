#include "ppreport/core/ppComm.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ppreport/core/ppParamList.h"

namespace {

// A listener that records what it hears and may act while it hears it.
class TListener : public TppCommunicator {
public:
  explicit TListener(TComponent* AOwner, std::string AKey = {}) : TppCommunicator(AOwner), Key(std::move(AKey)) {
    EventMask().Include(7);
  }
  std::string Key;
  std::vector<int> Heard;
  std::vector<TppNotifyOperation> Notices;
  std::function<void()> OnHear;
  std::string GetEventNotifySortKey() const override { return Key; }
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override {
    TppCommunicator::EventNotify(Sender, EventID, Params);
    Heard.push_back(EventID);
    if (OnHear) OnHear();
  }
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override {
    Notices.push_back(Operation);
    TppCommunicator::Notify(Partner, Operation);
  }
};

// A label's class name gives user names their base ("Label").
class TppLabel : public TppCommunicator {
  DECLARE_CLASSINFO(TppLabel)
public:
  using TppCommunicator::TppCommunicator;
};
const TClassInfo& TppLabel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppLabel>("TppLabel", &TppCommunicator::StaticClassInfo());
  return Info;
}

struct TThree {
  TppCommunicator Sender{nullptr};
  TListener A{nullptr}, B{nullptr}, C{nullptr};
  TThree() {
    Sender.AddEventNotify(&A);
    Sender.AddEventNotify(&B);
    Sender.AddEventNotify(&C);
  }
};

// Listeners that leave, are freed or join during a broadcast: nobody after them is skipped and
// nobody hears the broadcast twice.
TEST(TppCommunicatorTest, BroadcastSurvivesListenersChangingUnderIt) {
  {
    TThree T;
    T.A.OnHear = [&] { T.Sender.RemoveEventNotify(&T.A); };
    T.Sender.SendEventNotify(&T.Sender, 7, nullptr);
    EXPECT_EQ(1u, T.A.Heard.size());
    EXPECT_EQ(1u, T.B.Heard.size());
    EXPECT_EQ(1u, T.C.Heard.size());
  }
  {
    TppCommunicator Sender(nullptr);
    auto* A = new TListener(nullptr);
    TListener B(nullptr);
    Sender.AddEventNotify(A);
    Sender.AddEventNotify(&B);
    A->OnHear = [&] { A->Free(); };
    Sender.SendEventNotify(&Sender, 7, nullptr);
    EXPECT_EQ(1u, B.Heard.size());
    EXPECT_EQ(1, Sender.GetEventNotifyCount());
  }
  {
    // A joins a new listener: the new one hears it once, A does not hear it again.
    TThree T;
    TListener D(nullptr);
    T.A.OnHear = [&] { T.Sender.AddEventNotify(&D); };
    T.Sender.SendEventNotify(&T.Sender, 7, nullptr);
    EXPECT_EQ(1u, T.A.Heard.size());
    EXPECT_EQ(1u, D.Heard.size());
    EXPECT_EQ(1u, T.C.Heard.size());
  }
  {
    // B takes C out before C's turn: C is not called.
    TThree T;
    T.B.OnHear = [&] { T.Sender.RemoveEventNotify(&T.C); };
    T.Sender.SendEventNotify(&T.Sender, 7, nullptr);
    EXPECT_EQ(0u, T.C.Heard.size());
    EXPECT_EQ(1u, T.A.Heard.size());
  }
  {
    // A sorted insertion reorders the list mid-broadcast.
    TThree T;
    TListener Keyed(nullptr, "a");
    T.B.OnHear = [&] { T.Sender.AddEventNotify(&Keyed); };
    T.Sender.SendEventNotify(&T.Sender, 7, nullptr);
    for (TListener* L : {&T.A, &T.B, &T.C}) EXPECT_EQ(1u, L->Heard.size());
    EXPECT_EQ(1u, Keyed.Heard.size());
  }
}

// A listener that frees the sender ends the broadcast; the sender is not touched again.
TEST(TppCommunicatorTest, SenderFreedByItsListener) {
  auto* Sender = new TppCommunicator(nullptr);
  TListener A(nullptr), B(nullptr);
  Sender->AddEventNotify(&A);
  Sender->AddEventNotify(&B);
  A.OnHear = [&] { Sender->Free(); };
  Sender->SendEventNotify(Sender, 7, nullptr);
  EXPECT_EQ(0u, B.Heard.size());
  EXPECT_EQ(0, A.GetNotifyCount());
  EXPECT_EQ(std::vector<TppNotifyOperation>{ppopRemove}, B.Notices);
}

TEST(TppCommunicatorTest, MasksListsAndSortKeys) {
  TppCommunicator Sender(nullptr);
  TListener A(nullptr);
  A.EventMask().Include(255);
  Sender.AddEventNotify(&A);
  Sender.AddEventNotify(&A);
  EXPECT_EQ(1, Sender.GetEventNotifyCount());
  Sender.SendEventNotify(&Sender, 256, nullptr);
  Sender.SendEventNotify(&Sender, -1, nullptr);
  Sender.SendEventNotify(&Sender, 8, nullptr);  // not in A's mask
  EXPECT_TRUE(A.Heard.empty());
  Sender.SendEventNotify(&Sender, 255, nullptr);
  EXPECT_EQ(std::vector<int>{255}, A.Heard);
  EXPECT_TRUE(Sender.IsEventRequested(7));
  EXPECT_FALSE(Sender.IsEventRequested(8));
  EXPECT_FALSE(Sender.IsEventRequested(300));
  TListener Other(nullptr);
  Sender.RemoveEventNotify(&Other);
  EXPECT_EQ(1, Sender.GetEventNotifyCount());

  TppCommunicator Sorted(nullptr);
  TListener KeyB(nullptr, "b"), NoKey(nullptr), KeyA(nullptr, "A");
  Sorted.AddEventNotify(&KeyB);
  Sorted.AddEventNotify(&NoKey);
  Sorted.AddEventNotify(&KeyA);
  EXPECT_EQ(&NoKey, Sorted.GetEventNotifyItem(0));
  EXPECT_EQ(&KeyA, Sorted.GetEventNotifyItem(1));
  EXPECT_EQ(&KeyB, Sorted.GetEventNotifyItem(2));
}

// A var parameter written by a listener is the sender's variable.
TEST(TppCommunicatorTest, ListenersWriteTheSendersVariables) {
  TppCommunicator Sender(nullptr);
  TListener A(nullptr);
  Sender.AddEventNotify(&A);
  A.OnEventNotify = [](TppCommunicator*, TppCommunicator*, int, TraParamList* P) {
    P->SetValue(0, P->Value<int>(0) + 1);
  };
  int Counter = 41;
  TraParamList Params;
  Params.AddParam("Value", vkInteger, nullptr, "", false, true);
  Params.BindParam(0, &Counter);
  Sender.SendEventNotify(&Sender, 7, &Params);
  EXPECT_EQ(42, Counter);
}

// Links go both ways; a freed communicator is gone from every partner, whose notices say so;
// unlinking also ends the listening (else a freed listener would stay in the sender's list).
TEST(TppCommunicatorTest, FreeNoticesAndUnlinking) {
  TListener A(nullptr), B(nullptr);
  auto* C = new TppCommunicator(nullptr);
  C->AddNotify(&A);
  C->AddEventNotify(&B);
  EXPECT_EQ(C, A.GetNotifyItem(0));
  EXPECT_EQ(2, C->GetNotifyCount());
  TppCommunicator* Gone = nullptr;
  A.OnNotify = [&](TppCommunicator*, TppCommunicator* Partner, TppNotifyOperation) { Gone = Partner; };
  C->Free();
  EXPECT_EQ(C, Gone);
  EXPECT_EQ(0, A.GetNotifyCount());
  EXPECT_EQ(0, B.GetNotifyCount());
  EXPECT_EQ(std::vector<TppNotifyOperation>{ppopRemove}, B.Notices);

  TppCommunicator Sender(nullptr);
  auto* L = new TListener(nullptr);
  Sender.AddEventNotify(L);
  Sender.RemoveNotify(L);
  EXPECT_EQ(0, Sender.GetEventNotifyCount());
  L->Free();
  Sender.SendEventNotify(&Sender, 7, nullptr);

  // Notices of other operations go to every partner, last first, and leave the links alone.
  TListener P1(nullptr), P2(nullptr);
  Sender.AddNotify(&P1);
  Sender.AddNotify(&P2);
  Sender.SendNotify(&Sender, ppopDataChange);
  EXPECT_EQ(std::vector<TppNotifyOperation>{ppopDataChange}, P1.Notices);
  EXPECT_EQ(2, Sender.GetNotifyCount());
}

TEST(TppCommunicatorTest, UserNamesAreUniqueInTheirOwner) {
  TComponent Form(nullptr);
  auto* First = new TppLabel(&Form);
  First->SetName("ppLabel3");
  EXPECT_EQ("Label3", First->GetUserName());

  int Renames = 0;
  TListener Watcher(nullptr);
  Watcher.EventMask().Include(ciCommunicatorNameChange);
  Watcher.OnHear = [&] { ++Renames; };
  First->AddEventNotify(&Watcher);
  First->SetName("ppLabel4");
  EXPECT_EQ("Label4", First->GetUserName());
  EXPECT_EQ(1, Renames);
  EXPECT_EQ(std::vector<TppNotifyOperation>{ppopUserNameChange}, Watcher.Notices);

  auto* Second = new TppLabel(&Form);
  Second->SetUserName("Label1");
  First->SetUserName("Label1");  // taken, ends in a digit: unchanged
  EXPECT_EQ("Label4", First->GetUserName());
  First->SetUserName("label");
  auto* Third = new TppLabel(&Form);
  Third->SetUserName("Label");  // taken (in another case), Label1 too: the first free number
  EXPECT_EQ("Label2", Third->GetUserName());
  Third->SetUserName("1abc");  // not an identifier
  EXPECT_EQ("Label2", Third->GetUserName());
  EXPECT_EQ(Third, First->FindUserName("LABEL2"));

  // A component name is numbered over the components of the same class.
  Second->SetName("ppLabel1");
  EXPECT_EQ("ppLabel2", First->GetUniqueName(First));
  // A default user name that is taken is replaced by a free one.
  auto* Fourth = new TppLabel(&Form);
  Fourth->SetName("ppLabel2");
  EXPECT_EQ("Label3", Fourth->GetUserName());
  Third->SetName("ppLabel7");  // Third's user name did not follow its name: it stays
  EXPECT_EQ("Label2", Third->GetUserName());
  auto* Fifth = new TppLabel(&Form);
  Fifth->SetName("ppLabel8");
  EXPECT_EQ("Label8", Fifth->GetUserName());
}

TEST(TppCommunicatorTest, ChangeOwnerKeepsUserNamesUnique) {
  TComponent FormA(nullptr), FormB(nullptr);
  auto* Moving = new TppLabel(&FormA);
  Moving->SetUserName("Total");
  auto* Resident = new TppLabel(&FormB);
  Resident->SetUserName("Total");
  auto* Other = new TppLabel(&FormB);
  Other->SetUserName("Label1");
  Moving->ChangeOwner(&FormB);
  EXPECT_EQ(&FormB, Moving->Owner());
  EXPECT_EQ(0, FormA.ComponentCount());
  EXPECT_EQ("Label2", Moving->GetUserName());
  Moving->ChangeOwner(nullptr);
  EXPECT_EQ(nullptr, Moving->Owner());
  Moving->Free();
}

}  // namespace
