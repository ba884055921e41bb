#pragma once
// The component classes the component-stream fuzz targets read into, and the
// seed maker writes: every property kind, a nested persistent with binary
// data, a collection, a string list, a reference and an event.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/classes/Collection.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

namespace {
enum TFzKind { fkA, fkB, fkC };
}
DEFINE_ENUM_INFO(TFzKind, "fkA", "fkB", "fkC")

namespace {
class TFzPen : public TPersistent {
  DECLARE_CLASSINFO(TFzPen)
public:
  int Width = 1;
  std::vector<uint8_t> Blob;
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "Data", [this](TStream& S) { Blob.resize(static_cast<size_t>(S.Size())); S.ReadBuffer(Blob.data(), S.Size()); },
        [this](TStream& S) { S.WriteBuffer(Blob.data(), static_cast<int64_t>(Blob.size())); }, !Blob.empty());
  }
};
const TClassInfo& TFzPen::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TFzPen>("TFzPen", &TPersistent::StaticClassInfo()).Prop("Width", &TFzPen::Width, &TFzPen::Width);
  return Info;
}

class TFzCell : public TCollectionItem {
  DECLARE_CLASSINFO(TFzCell)
public:
  using TCollectionItem::TCollectionItem;
  std::string Caption;
  TComponent* Link = nullptr;
};
const TClassInfo& TFzCell::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TFzCell>("TFzCell", &TCollectionItem::StaticClassInfo())
                                     .Prop("Caption", &TFzCell::Caption, &TFzCell::Caption)
                                     .Prop("Link", &TFzCell::Link, &TFzCell::Link);
  return Info;
}

class TFzItem : public TComponent {
  DECLARE_CLASSINFO(TFzItem)
public:
  explicit TFzItem(TComponent* AOwner) : TComponent(AOwner), Cells(TCollection::ItemClass<TFzCell>(), this) {}
  int Small = 0;
  int64_t Huge = 0;
  char Letter = 'A';
  TFzKind Kind = fkA;
  uint32_t Kinds = 0;
  bool Flag = false;
  long double Ext = 0;
  float Single = 0;
  double Date = 0;
  long double Money = 0;
  std::string Text;
  TFzItem* Buddy = nullptr;
  TFzPen Pen;
  TCollection Cells;
  TStringList Lines;
  TNotifyEvent OnPing;
};
const TClassInfo& TFzItem::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TFzItem>("TFzItem", &TComponent::StaticClassInfo())
                                     .Prop("Small", &TFzItem::Small, &TFzItem::Small)
                                     .Prop("Huge", &TFzItem::Huge, &TFzItem::Huge)
                                     .Prop("Letter", &TFzItem::Letter, &TFzItem::Letter)
                                     .Prop("Kind", &TFzItem::Kind, &TFzItem::Kind)
                                     .SetProp<TFzKind>("Kinds", &TFzItem::Kinds, &TFzItem::Kinds)
                                     .Prop("Flag", &TFzItem::Flag, &TFzItem::Flag)
                                     .Prop("Ext", &TFzItem::Ext, &TFzItem::Ext)
                                     .Prop("Single", &TFzItem::Single, &TFzItem::Single)
                                     .Prop("Date", &TFzItem::Date, &TFzItem::Date)
                                     .AsFloat(TFloatType::Date)
                                     .Prop("Money", &TFzItem::Money, &TFzItem::Money)
                                     .AsFloat(TFloatType::Currency)
                                     .Prop("Text", &TFzItem::Text, &TFzItem::Text)
                                     .Prop("Buddy", &TFzItem::Buddy, &TFzItem::Buddy)
                                     .Prop("Pen", [](const TFzItem& I) { return &I.Pen; })
                                     .Prop("Cells", [](const TFzItem& I) { return &I.Cells; })
                                     .Prop("Lines", [](const TFzItem& I) { return &I.Lines; })
                                     .Event("OnPing", &TFzItem::OnPing);
  return Info;
}

class TFzRoot : public TComponent {
  DECLARE_CLASSINFO(TFzRoot)
public:
  using TComponent::TComponent;
  void Ping(TObject*) {}
  // Writes what it owns, as a form or data module does.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) override {
    for (int I = 0; I < ComponentCount(); ++I) Proc(Components(I));
  }
};
const TClassInfo& TFzRoot::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TFzRoot>("TFzRoot", &TComponent::StaticClassInfo()).Method("Ping", &TFzRoot::Ping);
  return Info;
}

inline void RegisterFuzzClasses() {
  static bool Registered = [] {
    RegisterClasses({&TFzRoot::StaticClassInfo(), &TFzItem::StaticClassInfo()});
    return true;
  }();
  (void)Registered;
}
}  // namespace
