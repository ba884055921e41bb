#include "platform/classes/Collection.h"

#include <gtest/gtest.h>

namespace {
class TColumn : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  std::string Title;
  void Assign(const TPersistent* Source) override {
    if (auto* C = dynamic_cast<const TColumn*>(Source)) {
      Title = C->Title;
      return;
    }
    TCollectionItem::Assign(Source);
  }
};

class TColumns : public TCollection {
public:
  TColumns() : TCollection(ItemClass<TColumn>()) {}
  TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
  std::vector<TCollectionItem*> Updates;

protected:
  void Update(TCollectionItem* Item) override { Updates.push_back(Item); }
};
}  // namespace

TEST(CollectionTest, ItemsKeepOrderIdsAndOwnership) {
  TColumns C;
  TColumn* A = C.Add();
  TColumn* B = C.Add();
  TColumn* D = static_cast<TColumn*>(C.Insert(0));
  ASSERT_EQ(C.Count(), 3);
  EXPECT_EQ(C.Items(0), D);
  EXPECT_EQ(B->Index(), 2);
  EXPECT_EQ(D->ID(), 2);  // ids follow creation, not position
  EXPECT_EQ(C.FindItemID(1), B);
  B->SetIndex(0);
  EXPECT_EQ(C.Items(0), B);
  delete A;  // an item leaves its collection when freed
  EXPECT_EQ(C.Count(), 2);
  EXPECT_THROW(C.Items(2), EListError);
  C.Delete(0);
  EXPECT_EQ(C.Items(0), D);
  EXPECT_EQ(D->Collection(), &C);
}

TEST(CollectionTest, AssignCopiesItemsAndUpdatesOnce) {
  TColumns Src, Dst;
  Src.Add()->Title = "a";
  Src.Add()->Title = "b";
  Dst.Add()->Title = "old";
  Dst.Updates.clear();
  Dst.Assign(&Src);
  ASSERT_EQ(Dst.Count(), 2);
  EXPECT_EQ(static_cast<TColumn*>(Dst.Items(1))->Title, "b");
  EXPECT_EQ(Dst.Updates, std::vector<TCollectionItem*>{nullptr});
}
