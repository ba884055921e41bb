#pragma once
// TppFrozenList: an immutable list that shares its structure with the lists it was made from.
// Appending to a list or cutting it short makes a new list in O(log n) and leaves the old one as
// it was, so many versions of a long list cost little more than one. The outline keeps a frozen
// node's children in one: each page's frozen tree shares what earlier pages froze.
//
// A radix tree of 32-way nodes, filled from the left: its shape follows from its size, so two
// lists of one size line up node for node. Safe to read from any thread (nothing changes once made).
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class T>
class TppFrozenList {
public:
  size_t Size() const { return FSize; }
  bool Empty() const { return FSize == 0; }

  const T& operator[](size_t Index) const {
    const TNode* N = FRoot.get();
    for (int Level = FLevel; Level > 0; --Level) N = N->Branches[Slot(Index, Level)].get();
    return N->Items[Slot(Index, 0)];
  }

  template <class F>
  void ForEach(F&& Visit) const {
    if (FRoot) Walk(*FRoot, FLevel, Visit);
  }

  TppFrozenList PushBack(T Value) const {
    TppFrozenList R;
    R.FSize = FSize + 1;
    if (!FRoot) {
      R.FRoot = NewPath(0, std::move(Value));
    } else if (FSize == Capacity(FLevel)) {
      auto Top = std::make_shared<TNode>();
      Top->Branches = {FRoot, NewPath(FLevel, std::move(Value))};
      R.FRoot = std::move(Top);
      R.FLevel = FLevel + 1;
    } else {
      R.FRoot = PushInto(*FRoot, FLevel, FSize, std::move(Value));
      R.FLevel = FLevel;
    }
    return R;
  }

  // The first Count items.
  TppFrozenList Truncated(size_t Count) const {
    if (Count >= FSize) return *this;
    TppFrozenList R;
    if (Count == 0) return R;
    R.FSize = Count;
    R.FRoot = Cut(*FRoot, FLevel, Count - 1);
    R.FLevel = FLevel;
    while (R.FLevel > 0 && R.FRoot->Branches.size() == 1) {
      TPtr Only = R.FRoot->Branches.front();
      R.FRoot = std::move(Only);
      --R.FLevel;
    }
    return R;
  }

  // Item by item by Same, skipping the parts both lists share.
  template <class F>
  bool Equals(const TppFrozenList& Other, F&& Same) const {
    if (FSize != Other.FSize) return false;
    return !FRoot || EqualNodes(*FRoot, *Other.FRoot, FLevel, Same);
  }

private:
  static constexpr int Bits = 5;
  static constexpr size_t Width = size_t{1} << Bits;

  struct TNode {
    std::vector<std::shared_ptr<const TNode>> Branches;  // above the leaves
    std::vector<T> Items;                                // in the leaves
  };
  using TPtr = std::shared_ptr<const TNode>;

  static size_t Slot(size_t Index, int Level) { return (Index >> (Level * Bits)) & (Width - 1); }
  static size_t Capacity(int Level) { return size_t{1} << ((Level + 1) * Bits); }

  static TPtr NewPath(int Level, T Value) {
    auto N = std::make_shared<TNode>();
    if (Level == 0)
      N->Items.push_back(std::move(Value));
    else
      N->Branches.push_back(NewPath(Level - 1, std::move(Value)));
    return N;
  }

  static TPtr PushInto(const TNode& Node, int Level, size_t Index, T Value) {
    auto N = std::make_shared<TNode>(Node);
    if (Level == 0) {
      N->Items.push_back(std::move(Value));
      return N;
    }
    const size_t S = Slot(Index, Level);
    if (S < N->Branches.size())
      N->Branches[S] = PushInto(*N->Branches[S], Level - 1, Index, std::move(Value));
    else
      N->Branches.push_back(NewPath(Level - 1, std::move(Value)));
    return N;
  }

  // Keeps the items up to Last (an index of the whole list).
  static TPtr Cut(const TNode& Node, int Level, size_t Last) {
    auto N = std::make_shared<TNode>();
    const size_t S = Slot(Last, Level);
    if (Level == 0) {
      N->Items.assign(Node.Items.begin(), Node.Items.begin() + static_cast<std::ptrdiff_t>(S + 1));
      return N;
    }
    N->Branches.assign(Node.Branches.begin(), Node.Branches.begin() + static_cast<std::ptrdiff_t>(S + 1));
    N->Branches[S] = Cut(*Node.Branches[S], Level - 1, Last);
    return N;
  }

  template <class F>
  static void Walk(const TNode& Node, int Level, F& Visit) {
    if (Level == 0) {
      for (const T& Item : Node.Items) Visit(Item);
      return;
    }
    for (const TPtr& B : Node.Branches) Walk(*B, Level - 1, Visit);
  }

  template <class F>
  static bool EqualNodes(const TNode& A, const TNode& B, int Level, F& Same) {
    if (&A == &B) return true;
    if (Level == 0) {
      for (size_t I = 0; I < A.Items.size(); ++I)
        if (!Same(A.Items[I], B.Items[I])) return false;
      return true;
    }
    for (size_t I = 0; I < A.Branches.size(); ++I)
      if (!EqualNodes(*A.Branches[I], *B.Branches[I], Level - 1, Same)) return false;
    return true;
  }

  TPtr FRoot;
  size_t FSize = 0;
  int FLevel = 0;  // levels above the leaves
};
