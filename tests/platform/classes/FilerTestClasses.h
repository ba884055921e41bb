#pragma once
// A small component model with a property of every kind: the filer tests write and read it, and the
// component-stream fuzz targets read into it (their seeds are its trees).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Collection.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

namespace {
enum TTone { toLow, toMid, toHigh };
}
DEFINE_ENUM_INFO(TTone, "toLow", "toMid", "toHigh")

namespace {
// The names of the components whose Loaded ran, in order (the fuzz targets clear it for each input).
std::vector<std::string> LoadedLog;

// A nested persistent: written as "Pen.X", with a binary defined property.
class TPen : public TPersistent {
  DECLARE_CLASSINFO(TPen)
public:
  int Width = 1;
  std::string Style;
  std::vector<uint8_t> Blob;
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "Data",
        [this](TStream& S) {
          Blob.resize(static_cast<size_t>(S.Size()));
          S.ReadBuffer(Blob.data(), S.Size());
        },
        [this](TStream& S) { S.WriteBuffer(Blob.data(), static_cast<int64_t>(Blob.size())); }, !Blob.empty());
  }
};
const TClassInfo& TPen::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TPen>("TPen", &TPersistent::StaticClassInfo())
                                     .Prop("Width", &TPen::Width, &TPen::Width)
                                     .Default(1)
                                     .Prop("Style", &TPen::Style, &TPen::Style);
  return Info;
}

class TCell : public TCollectionItem {
  DECLARE_CLASSINFO(TCell)
public:
  using TCollectionItem::TCollectionItem;
  std::string Caption;
  double Width = 0;
  TComponent* Link = nullptr;
};
const TClassInfo& TCell::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TCell>("TCell", &TCollectionItem::StaticClassInfo())
                                     .Prop("Caption", &TCell::Caption, &TCell::Caption)
                                     .Prop("Width", &TCell::Width, &TCell::Width)
                                     .Prop("Link", &TCell::Link, &TCell::Link);
  return Info;
}

class TWidget : public TComponent {
  DECLARE_CLASSINFO(TWidget)
public:
  explicit TWidget(TComponent* AOwner)
      : TComponent(AOwner), Cells(TCollection::ItemClass<TCell>(), this) {}
  int Small = 0, Medium = 0, Large = 0;
  int64_t Huge = 0;
  char Letter = 'A';
  TTone Tone = toMid;
  uint32_t Tones = 0;
  bool Flag = false;
  long double Ext = 0;
  float Single = 0;
  double Date = 0;
  long double Money = 0;
  std::string Text;
  TWidget* Buddy = nullptr;
  TPen Pen;
  TCollection Cells;
  TStringList Lines;
  TNotifyEvent OnPing;
  std::vector<long double> Values;  // the "Values" defined property: a list of floats
  TWidget* ParentWidget = nullptr;

  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "Values",
        [this](TReader& R) {
          Values.clear();
          R.ReadListBegin();
          while (!R.EndOfList()) Values.push_back(R.ReadFloat());
          R.ReadListEnd();
        },
        [this](TWriter& W) {
          W.WriteListBegin();
          for (long double V : Values) W.WriteFloat(V);
          W.WriteListEnd();
        },
        !Values.empty());
  }
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return ParentWidget; }
  void SetParentComponent(TComponent* P) override { ParentWidget = dynamic_cast<TWidget*>(P); }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override {
    for (int I = 0; I < Root->ComponentCount(); ++I)
      if (auto* W = dynamic_cast<TWidget*>(Root->Components(I)); W && W->ParentWidget == this) Proc(W);
  }
  void Loaded() override {
    TComponent::Loaded();
    LoadedLog.push_back(Name());
  }
};
const TClassInfo& TWidget::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TWidget>("TWidget", &TComponent::StaticClassInfo())
                                     .Prop("Small", &TWidget::Small, &TWidget::Small)
                                     .Default(0)
                                     .Prop("Medium", &TWidget::Medium, &TWidget::Medium)
                                     .Default(0)
                                     .Prop("Large", &TWidget::Large, &TWidget::Large)
                                     .Default(0)
                                     .Prop("Huge", &TWidget::Huge, &TWidget::Huge)
                                     .Default(0)
                                     .Prop("Letter", &TWidget::Letter, &TWidget::Letter)
                                     .Default('A')
                                     .Prop("Tone", &TWidget::Tone, &TWidget::Tone)
                                     .Default(toMid)
                                     .SetProp<TTone>("Tones", &TWidget::Tones, &TWidget::Tones)
                                     .Default(0)
                                     .Prop("Flag", &TWidget::Flag, &TWidget::Flag)
                                     .Default(false)
                                     .Prop("Ext", &TWidget::Ext, &TWidget::Ext)
                                     .Prop("Single", &TWidget::Single, &TWidget::Single)
                                     .Prop("Date", &TWidget::Date, &TWidget::Date)
                                     .AsFloat(TFloatType::Date)
                                     .Prop("Money", &TWidget::Money, &TWidget::Money)
                                     .AsFloat(TFloatType::Currency)
                                     .Prop("Text", &TWidget::Text, &TWidget::Text)
                                     .Prop("Buddy", &TWidget::Buddy, &TWidget::Buddy)
                                     .Prop("Pen", [](const TWidget& W) { return &W.Pen; })
                                     .Prop("Cells", [](const TWidget& W) { return &W.Cells; })
                                     .Prop("Lines", [](const TWidget& W) { return &W.Lines; })
                                     .Event("OnPing", &TWidget::OnPing);
  return Info;
}

// The root: owns every widget; publishes the handler events name.
class TForm : public TComponent {
  DECLARE_CLASSINFO(TForm)
public:
  using TComponent::TComponent;
  std::vector<std::string> Pings;
  void PingHandler(TObject* Sender) { Pings.push_back(static_cast<TComponent*>(Sender)->Name()); }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) override {
    for (int I = 0; I < ComponentCount(); ++I)
      if (auto* W = dynamic_cast<TWidget*>(Components(I)); W && !W->ParentWidget) Proc(W);
  }
  void Loaded() override {
    TComponent::Loaded();
    LoadedLog.push_back(Name());
  }
};
const TClassInfo& TForm::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TForm>("TForm", &TComponent::StaticClassInfo())
                                     .Method("PingHandler", &TForm::PingHandler);
  return Info;
}

inline void RegisterFilerClasses() { RegisterClasses({&TForm::StaticClassInfo(), &TWidget::StaticClassInfo()}); }

using TOwnedForm = std::unique_ptr<TForm, TComponentDeleter>;

// Binds W's OnPing to Root's published handler, as reading a stream does.
inline void Bind(TWidget* W, TForm* Root) {
  W->OnPing.SetMethod("PingHandler", [Root](TObject* S) { Root->PingHandler(S); });
}

// Form1 > W1 (every kind) > W2 (child of W1); W3 with defaults only.
inline TOwnedForm MakeTree() {
  TOwnedForm Root(new TForm(nullptr));
  Root->SetName("Form1");
  Root->SetTag(42);
  auto* W1 = new TWidget(Root.get());
  W1->SetName("W1");
  auto* W2 = new TWidget(Root.get());
  W2->SetName("W2");
  W2->ParentWidget = W1;
  auto* W3 = new TWidget(Root.get());
  W3->SetName("W3");
  W1->Small = -5;
  W1->Medium = 1000;
  W1->Large = -100000;
  W1->Huge = 10000000000LL;
  W1->Letter = 'z';
  W1->Tone = toHigh;
  W1->Tones = (1u << toLow) | (1u << toHigh);
  W1->Flag = true;
  W1->Ext = 0.1L;
  W1->Single = 1.25f;
  W1->Date = 45000.5;
  W1->Money = 12.3456L;
  W1->Text = "Relatório €";
  W1->Buddy = W2;  // forward reference: fixed up after reading
  W1->Pen.Width = 3;
  W1->Pen.Style = std::string(300, 'x');  // long string
  W1->Pen.Blob = {0, 1, 2, 0xFE, 0xFF};
  auto* C = static_cast<TCell*>(W1->Cells.Add());
  C->Caption = "first";
  C->Width = 2.5;
  C->Link = W3;
  W1->Cells.Add();
  W1->Lines.SetCommaText("alpha,\"two words\",Ω");  // Ω has no Windows-1252 byte: a wide string
  Bind(W1, Root.get());
  W1->Values = {10, 297.5L, -1};
  W1->SetDesignInfo(0x00200010);
  W2->Buddy = W1;
  W2->SetTag(7);
  return Root;
}
}  // namespace
