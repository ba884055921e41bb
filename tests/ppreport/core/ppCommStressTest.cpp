// Thousands of communicators linked at random, broadcasting while their listeners leave, join,
// reorder, free each other, free the sender and broadcast in turn. Run under AddressSanitizer,
// a notice to a freed object fails the run; the bookkeeping here checks that every listener
// present throughout a broadcast hears it exactly once and that nobody hears one twice.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppParamList.h"

namespace {

class TStressNode;

struct TBroadcast {
  int Id;
  int SenderId;
  int EventID;
  std::vector<int> Snapshot;  // the listeners when it began
  std::set<int> Touched;      // taken out of the sender's list, or freed, while it ran
  bool SenderGone = false;
};

struct TStressWorld {
  std::mt19937 Rng;
  std::vector<TStressNode*> Nodes;  // by id; null once freed
  std::vector<TBroadcast*> Active;  // innermost last
  int NextBroadcast = 0;
  int Deliveries = 0;
  int Actions = 0;
  explicit TStressWorld(unsigned Seed) : Rng(Seed) {}
  int Random(int N) { return std::uniform_int_distribution<int>(0, N - 1)(Rng); }
  TStressNode* AnyAlive();
  void Broadcast(TStressNode* Sender);
  void Act(TStressNode* Hearer);
};

class TStressNode : public TppCommunicator {
public:
  TStressNode(TStressWorld& W, int AId, std::string AKey) : TppCommunicator(nullptr), World(W), Id(AId), Key(std::move(AKey)) {}
  ~TStressNode() override {
    BeforeDestruction();
    World.Nodes[static_cast<size_t>(Id)] = nullptr;
  }
  TStressWorld& World;
  int Id;
  std::string Key;
  std::unordered_map<int, int> Heard;  // broadcast id -> times
  std::string GetEventNotifySortKey() const override { return Key; }
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override {
    TppCommunicator::EventNotify(Sender, EventID, Params);
    EXPECT_TRUE(EventMask().Contains(EventID));
    int BroadcastId = Params->Value<int>(0);
    EXPECT_EQ(1, ++Heard[BroadcastId]) << "node " << Id << " heard broadcast " << BroadcastId << " twice";
    ++World.Deliveries;
    World.Act(this);
  }
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override {
    TppCommunicator::Notify(Partner, Operation);
    if (Operation == ppopDataChange && World.Random(8) == 0) World.Act(this);
  }
};

TStressNode* TStressWorld::AnyAlive() {
  for (int Tries = 0; Tries < 8; ++Tries)
    if (TStressNode* N = Nodes[static_cast<size_t>(Random(static_cast<int>(Nodes.size())))]) return N;
  return nullptr;
}

void TStressWorld::Broadcast(TStressNode* Sender) {
  TBroadcast B;
  B.Id = NextBroadcast++;
  B.SenderId = Sender->Id;
  B.EventID = Random(8);
  for (int I = 0; I < Sender->GetEventNotifyCount(); ++I)
    B.Snapshot.push_back(static_cast<TStressNode*>(Sender->GetEventNotifyItem(I))->Id);
  int IdValue = B.Id;
  TraParamList Params;
  Params.AddParam("Broadcast", vkInteger);
  Params.BindParam(0, &IdValue);
  Active.push_back(&B);
  Sender->SendEventNotify(Sender, B.EventID, &Params);
  Active.pop_back();
  if (B.SenderGone) return;
  for (int L : B.Snapshot) {
    TStressNode* N = Nodes[static_cast<size_t>(L)];
    if (!N || B.Touched.count(L) || !N->EventMask().Contains(B.EventID)) continue;
    EXPECT_EQ(1, N->Heard[B.Id]) << "node " << L << " missed broadcast " << B.Id;
  }
}

// What a hearer does: mostly nothing; else one change of the web, or a nested broadcast.
void TStressWorld::Act(TStressNode* Hearer) {
  const int Roll = Random(100);
  if (Roll >= 30) return;
  ++Actions;
  TStressNode* Sender = Active.empty() ? nullptr : Nodes[static_cast<size_t>(Active.back()->SenderId)];
  TStressNode* Other = AnyAlive();
  if (Roll < 8 && Sender && Sender->GetEventNotifyCount() > 0) {
    auto* Leaving = static_cast<TStressNode*>(Sender->GetEventNotifyItem(Random(Sender->GetEventNotifyCount())));
    // Unlinking ends the listening both ways.
    for (TBroadcast* B : Active) {
      if (B->SenderId == Sender->Id) B->Touched.insert(Leaving->Id);
      if (B->SenderId == Leaving->Id) B->Touched.insert(Sender->Id);
    }
    Sender->RemoveEventNotify(Leaving);
  } else if (Roll < 14 && Sender && Other) {
    Sender->AddEventNotify(Other);
  } else if (Roll < 20 && Other) {
    TStressNode* Victim = Random(6) == 0 ? Hearer : Other;
    if (Random(10) == 0 && Sender) Victim = Sender;
    for (TBroadcast* B : Active) {
      B->Touched.insert(Victim->Id);
      if (B->SenderId == Victim->Id) B->SenderGone = true;
    }
    Victim->Free();
  } else if (Roll < 24 && Other && Active.size() < 4) {
    Broadcast(Other);
  } else if (Roll < 27 && Other) {
    Other->SendNotify(Other, ppopDataChange);
  } else if (Other) {
    if (TStressNode* Third = AnyAlive()) Other->AddNotify(Third);
  }
}

TEST(TppCommunicatorStressTest, RandomWebUnderChange) {
  constexpr int NodeCount = 3000;
  for (unsigned Seed : {1u, 2u, 3u}) {
    TStressWorld W(Seed);
    std::vector<std::unique_ptr<TStressNode, TComponentDeleter>> Owned;
    for (int I = 0; I < NodeCount; ++I) {
      std::string Key = W.Random(4) == 0 ? std::string(1, static_cast<char>('a' + W.Random(26))) : "";
      auto* N = new TStressNode(W, I, Key);
      for (int E = 0; E < 8; ++E)
        if (W.Random(2)) N->EventMask().Include(E);
      W.Nodes.push_back(N);
    }
    for (int I = 0; I < NodeCount * 4; ++I) {
      TStressNode* S = W.Nodes[static_cast<size_t>(W.Random(NodeCount))];
      TStressNode* L = W.Nodes[static_cast<size_t>(W.Random(NodeCount))];
      if (W.Random(5) == 0)
        S->AddNotify(L);
      else
        S->AddEventNotify(L);
    }
    for (int Round = 0; Round < 10000; ++Round)
      if (TStressNode* S = W.AnyAlive()) W.Broadcast(S);

    // Every link left joins two living nodes, both ways.
    int Alive = 0;
    for (TStressNode* N : W.Nodes) {
      if (!N) continue;
      ++Alive;
      for (int I = 0; I < N->GetNotifyCount(); ++I) {
        auto* P = static_cast<TStressNode*>(N->GetNotifyItem(I));
        ASSERT_EQ(P, W.Nodes[static_cast<size_t>(P->Id)]);
        bool Back = false;
        for (int J = 0; J < P->GetNotifyCount() && !Back; ++J) Back = P->GetNotifyItem(J) == N;
        EXPECT_TRUE(Back);
      }
    }
    EXPECT_GT(W.Deliveries, 10000) << "seed " << Seed;
    EXPECT_GT(W.Actions, 1000);
    EXPECT_LT(Alive, NodeCount);
    for (TStressNode* N : W.Nodes)
      if (N) Owned.emplace_back(N);
  }
}

}  // namespace
