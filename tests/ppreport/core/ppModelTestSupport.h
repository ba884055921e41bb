#pragma once
// Small concrete kinds for the model's abstract classes: a component, a data-aware component, a
// stretching text, a band of any kind, a group band, an old calculation control and the variable
// that replaces it, and a report that answers the absolute page number it is given.
#include <memory>
#include <string>
#include <vector>

#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppGroup.h"

namespace pptest {

class TModelComponent : public TppComponent {
  DECLARE_CLASSINFO(TModelComponent)
public:
  explicit TModelComponent(TComponent* AOwner) : TppComponent(AOwner) {
    SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawText(nullptr); });
  }
  ~TModelComponent() override { BeforeDestruction(); }
  void Generate() override {}
  void RecalcSize() override {
    ++Recalcs;
    TppComponent::RecalcSize();
  }
  bool CanFullJustify() const override { return FullJustify; }
  bool IsStretching() const override { return Stretch; }
  bool IsSavedText() const override { return SavedText; }
  int StoredSavePosition() const override { return SavePosition; }
  bool IsVariable() const override { return Variable; }
  int StoredCalcOrder() const override { return CalcOrder; }
  bool IsText() const override { return Text; }
  void AddBreakGroup(TppGroup* G) override { BreakGroups.push_back(G); }
  void RemoveBreakGroup(TppGroup* G) override { std::erase(BreakGroups, G); }
  std::string GetText() const override { return TextValue.empty() ? TppComponent::GetText() : TextValue; }

  int Recalcs = 0;
  bool FullJustify = false, Stretch = false, SavedText = false, Variable = false, Text = false;
  int SavePosition = -1, CalcOrder = -1;
  std::string TextValue;
  std::vector<TppGroup*> BreakGroups;
};

class TModelDataComponent : public TModelComponent {
  DECLARE_CLASSINFO(TModelDataComponent)
public:
  using TModelComponent::TModelComponent;
  ~TModelDataComponent() override { BeforeDestruction(); }
  bool IsDataAware() const override { return true; }
};

class TModelRegion : public TppComponent, public TppRegionMembers {
  DECLARE_CLASSINFO(TModelRegion)
public:
  using TppComponent::TppComponent;
  ~TModelRegion() override { BeforeDestruction(); }
  void Generate() override {}
  TppRegionMembers* AsRegion() override { return this; }
  TppComponent* RegionComponent() override { return this; }

protected:
  void Destroying() override {
    ReleaseMembers();
    TppComponent::Destroying();
  }
};

class TModelBand : public TppBand {
  DECLARE_CLASSINFO(TModelBand)
public:
  explicit TModelBand(TComponent* AOwner, TppBandType Kind = btDetail) : TppBand(AOwner), Kind(Kind) {}
  ~TModelBand() override { BeforeDestruction(); }
  std::string GetBandSortKey() const override { return std::to_string(Kind); }
  TppBandType GetBandType() const override { return Kind; }
  std::string GetDefaultCaption() const override { return "Band " + std::to_string(Kind); }
  void Generate() override {}
  bool IsColumnBand() const override { return Kind != btHeader && Kind != btFooter; }
  TppGroup* GetGroup() const override { return Group; }

  TppBandType Kind;
  TppGroup* Group = nullptr;
};

// An old calculation control as stored by early versions.
class TModelCalc : public TModelComponent {
  DECLARE_CLASSINFO(TModelCalc)
public:
  using TModelComponent::TModelComponent;
  ~TModelCalc() override { BeforeDestruction(); }
  void Loaded() override {
    TModelComponent::Loaded();
    WasLoaded = true;
  }
  TppCalcType CalcType = ctDate;
  bool WasLoaded = false;
};

class TModelVariable : public TModelComponent {
  DECLARE_CLASSINFO(TModelVariable)
public:
  explicit TModelVariable(TComponent* AOwner) : TModelComponent(AOwner) { Variable = true; }
  ~TModelVariable() override { BeforeDestruction(); }
  TppCalcType FromType = ctDate;
};

class TModelReport : public TppCustomReport {
  DECLARE_CLASSINFO(TModelReport)
public:
  using TppCustomReport::TppCustomReport;
  ~TModelReport() override { BeforeDestruction(); }
  int AbsolutePageNo() const override { return Engine() ? TppCustomReport::AbsolutePageNo() : PageNo; }
  TppCustomEngine* Engine() const override { return TestEngine ? TestEngine : TppCustomReport::Engine(); }
  using TppCustomReport::SetEngine;
  TppCustomEngine* TestEngine = nullptr;
  void Reset() override {
    ++Resets;
    TppCustomReport::Reset();
  }
  using TppCustomReport::SetPrinting;
  int PageNo = 0;
  int Resets = 0;
};

// Reads a component from the text form of a stream (the old forms included).
std::unique_ptr<TComponent> ReadFromText(const std::string& Text);

// Registers the classes above for streaming while alive. A name the program has already registered
// (the group of the core, the generation library's "TppCalc") keeps its class.
struct TModelClasses {
  TModelClasses();
  ~TModelClasses();
  std::vector<const TClassInfo*> Registered;
};

}  // namespace pptest
