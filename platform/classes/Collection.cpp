#include "platform/classes/Collection.h"

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/ScopeGuard.h"

#include <algorithm>

const TClassInfo& TCollectionItem::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TCollectionItem>("TCollectionItem", &TPersistent::StaticClassInfo());
  return Info;
}

const TClassInfo& TCollection::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TCollection>("TCollection", &TPersistent::StaticClassInfo());
  return Info;
}

TCollectionItem::TCollectionItem(TCollection* ACollection) { SetCollection(ACollection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (Value == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& L = FCollection->FItems;
  return static_cast<int>(std::find(L.begin(), L.end(), this) - L.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int Cur = Index();
  if (Cur < 0 || Value == Cur) return;
  auto& L = FCollection->FItems;
  Value = std::clamp(Value, 0, static_cast<int>(L.size()) - 1);
  L.erase(L.begin() + Cur);
  L.insert(L.begin() + Value, this);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls while going
  Clear();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError(Format(SListIndexError, {Index}));
  return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* Item = FItemFactory(this);
  if (Item->FCollection != this) Item->SetCollection(this);
  Changed();
  return Item;
}

TCollectionItem* TCollection::Insert(int Index) {
  TCollectionItem* Item = Add();
  Item->SetIndex(Index);
  return Item;
}

void TCollection::Delete(int Index) { delete Items(Index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  TUpdateScope Update(*this);
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* I : FItems)
    if (I->FID == ID) return I;
  return nullptr;
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Assign(const TPersistent* Source) {
  auto* Src = dynamic_cast<const TCollection*>(Source);
  if (!Src) {
    TPersistent::Assign(Source);
    return;
  }
  TUpdateScope Update(*this);
  Clear();
  for (TCollectionItem* I : Src->FItems) Add()->Assign(I);
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  std::erase(FItems, Item);
  Item->FCollection = nullptr;
  Changed();
}
