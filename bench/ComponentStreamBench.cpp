// Reading a template-sized component stream: 2,000 components (bands holding text
// components with a nested font, a reference, an event, a defined "Values" list),
// read into a fresh root; also writing it and the text form both ways.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

namespace {
enum TBenchAlign { baLeft, baRight, baCenter };
enum TBenchStyle { bsBold, bsItalic, bsUnderline };
}  // namespace
DEFINE_ENUM_INFO(TBenchAlign, "baLeft", "baRight", "baCenter")
DEFINE_ENUM_INFO(TBenchStyle, "bsBold", "bsItalic", "bsUnderline")

namespace {
class TBenchFont : public TPersistent {
  DECLARE_CLASSINFO(TBenchFont)
public:
  std::string Name = "Arial";
  int Size = 10;
  int Color = 0;
  uint32_t Style = 0;
};
const TClassInfo& TBenchFont::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TBenchFont>("TBenchFont", &TPersistent::StaticClassInfo())
                                     .Prop("Name", &TBenchFont::Name, &TBenchFont::Name)
                                     .Prop("Size", &TBenchFont::Size, &TBenchFont::Size)
                                     .Default(10)
                                     .Prop("Color", &TBenchFont::Color, &TBenchFont::Color)
                                     .Default(0)
                                     .SetProp<TBenchStyle>("Style", &TBenchFont::Style, &TBenchFont::Style)
                                     .Default(0);
  return Info;
}

class TBenchItem : public TComponent {
  DECLARE_CLASSINFO(TBenchItem)
public:
  using TComponent::TComponent;
  TBenchItem* Parent = nullptr;
  std::vector<TBenchItem*> Children;
  std::string Caption, DataField;
  TBenchAlign Alignment = baLeft;
  bool AutoSize = true, WordWrap = false;
  TComponent* DataPipeline = nullptr;
  TBenchFont Font;
  TNotifyEvent OnPrint;
  long double Values[4] = {0, 0, 0, 0};

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return Parent; }
  void SetParentComponent(TComponent* P) override { SetParent(dynamic_cast<TBenchItem*>(P)); }
  void SetParent(TBenchItem* P) {
    Parent = P;
    if (P) P->Children.push_back(this);
  }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) override {
    for (TBenchItem* C : Children) Proc(C);
  }
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineProperty(
        "Values",
        [this](TReader& R) {
          R.ReadListBegin();
          for (int I = 0; I < 4 && !R.EndOfList(); ++I) Values[I] = R.ReadFloat();
          while (!R.EndOfList()) R.SkipValue();
          R.ReadListEnd();
        },
        [this](TWriter& W) {
          W.WriteListBegin();
          for (long double V : Values) W.WriteFloat(V);
          W.WriteListEnd();
        },
        true);
  }
};
const TClassInfo& TBenchItem::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TBenchItem>("TBenchItem", &TComponent::StaticClassInfo())
                                     .Prop("Alignment", &TBenchItem::Alignment, &TBenchItem::Alignment)
                                     .Default(baLeft)
                                     .Prop("AutoSize", &TBenchItem::AutoSize, &TBenchItem::AutoSize)
                                     .Default(true)
                                     .Prop("Caption", &TBenchItem::Caption, &TBenchItem::Caption)
                                     .Prop("DataField", &TBenchItem::DataField, &TBenchItem::DataField)
                                     .Prop("DataPipeline", &TBenchItem::DataPipeline, &TBenchItem::DataPipeline)
                                     .Prop("Font", [](const TBenchItem& I) { return &I.Font; })
                                     .Prop("WordWrap", &TBenchItem::WordWrap, &TBenchItem::WordWrap)
                                     .Default(false)
                                     .Event("OnPrint", &TBenchItem::OnPrint);
  return Info;
}

class TBenchRoot : public TComponent {
  DECLARE_CLASSINFO(TBenchRoot)
public:
  using TComponent::TComponent;
  void ItemPrint(TObject*) {}
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) override {
    for (int I = 0; I < ComponentCount(); ++I)
      if (auto* C = dynamic_cast<TBenchItem*>(Components(I)); !C || !C->Parent) Proc(Components(I));
  }
};
const TClassInfo& TBenchRoot::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TBenchRoot>("TBenchRoot", &TComponent::StaticClassInfo())
                                     .Method("ItemPrint", &TBenchRoot::ItemPrint);
  return Info;
}

double Ms(std::chrono::steady_clock::time_point Start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
}

std::unique_ptr<TBenchRoot, TComponentDeleter> MakeTemplate(int Components) {
  std::unique_ptr<TBenchRoot, TComponentDeleter> Root(new TBenchRoot(nullptr));
  Root->SetName("Form1");
  auto* Pipeline = new TComponent(Root.get());
  Pipeline->SetName("Pipeline1");
  TBenchItem* Band = nullptr;
  for (int I = 1; I < Components; ++I) {
    auto* C = new TBenchItem(Root.get());
    C->SetName("Item" + std::to_string(I));
    if (I % 50 == 1) {
      Band = C;
      C->Caption = "Band";
    } else {
      C->SetParent(Band);
      C->Caption = "Label caption " + std::to_string(I);
      C->DataField = "Field" + std::to_string(I % 17);
      C->DataPipeline = Pipeline;
      C->Alignment = static_cast<TBenchAlign>(I % 3);
      C->Font.Size = 8 + I % 5;
      C->Font.Style = I % 4;
      C->OnPrint.SetMethod("ItemPrint", [](TObject*) {});
    }
    for (int V = 0; V < 4; ++V) C->Values[V] = I * 0.5L + V;
  }
  return Root;
}

template <class F>
double Best(int Runs, F Fn) {
  double Min = 1e300;
  for (int R = 0; R < Runs; ++R) {
    auto Start = std::chrono::steady_clock::now();
    Fn();
    Min = std::min(Min, Ms(Start));
  }
  return Min;
}
}  // namespace

int main(int argc, char** argv) {
  RegisterClasses({&TBenchRoot::StaticClassInfo(), &TBenchItem::StaticClassInfo()});
  RegisterClass(TComponent::StaticClassInfo());
  const int Components = argc > 1 ? std::atoi(argv[1]) : 2000;
  auto Source = MakeTemplate(Components);
  TMemoryStream Binary;
  WriteComponentToStream(Binary, Source.get());
  TMemoryStream Text;
  Binary.SetPosition(0);
  ObjectBinaryToText(Binary, Text);

  const int Runs = 10;
  // Reading only: freeing the components read is not timed.
  std::vector<std::unique_ptr<TComponent, TComponentDeleter>> Keep;
  double Read = Best(Runs, [&] {
    TBytesStream S(Binary.Memory(), Binary.Size());
    Keep.emplace_back(ReadComponentFromStream(S, nullptr));
  });
  for (auto& R : Keep)
    if (R->ComponentCount() != Components) std::abort();
  double Write = Best(Runs, [&] {
    TMemoryStream M;
    WriteComponentToStream(M, Source.get());
  });
  double ToText = Best(Runs, [&] {
    TBytesStream S(Binary.Memory(), Binary.Size());
    TMemoryStream M;
    ObjectBinaryToText(S, M);
  });
  double FromText = Best(Runs, [&] {
    TBytesStream S(Text.Memory(), Text.Size());
    TMemoryStream M;
    ObjectTextToBinary(S, M);
  });
  std::printf("component stream: %d components, %lld bytes binary, %lld bytes text (best of %d)\n", Components,
              static_cast<long long>(Binary.Size()), static_cast<long long>(Text.Size()), Runs);
  std::printf("  read binary     %8.2f ms   (target under 20 ms)\n", Read);
  std::printf("  write binary    %8.2f ms\n", Write);
  std::printf("  binary to text  %8.2f ms\n", ToText);
  std::printf("  text to binary  %8.2f ms\n", FromText);
  return 0;
}
