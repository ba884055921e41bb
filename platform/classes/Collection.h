#pragma once
// Collections: an ordered list of items of one class, owned by the collection and
// streamed as a property value (tag 14, each item's properties up to a list end).
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

class TCollection;

class TCollectionItem : public TPersistent {
  DECLARE_CLASSINFO(TCollectionItem)
public:
  // Joins Collection (when given) at its end.
  explicit TCollectionItem(TCollection* ACollection);
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  int Index() const;
  void SetIndex(int Value);
  // Unique within the collection, in order of creation; kept when items move.
  int ID() const { return FID; }
  virtual std::string DisplayName() const;

protected:
  TPersistent* GetOwner() const override;
  // Tells the collection that this item (or, with AllItems, every item) changed.
  void Changed(bool AllItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
  DECLARE_CLASSINFO(TCollection)
public:
  // Makes one item already joined to the collection.
  using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
  template <class TItem>
  static TItemFactory ItemClass() {
    return [](TCollection* C) -> TCollectionItem* { return new TItem(C); };
  }

  explicit TCollection(TItemFactory AItemFactory, TPersistent* AOwner = nullptr)
      : FItemFactory(std::move(AItemFactory)), FOwner(AOwner) {}
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  TPersistent* Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;
  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Clears, then adds an item per source item and assigns it.
  void Assign(const TPersistent* Source) override;

protected:
  TPersistent* GetOwner() const override { return FOwner; }
  // Item null: everything changed. Not called while updating.
  virtual void Update(TCollectionItem*) {}
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  TItemFactory FItemFactory;
  TPersistent* FOwner;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
};
