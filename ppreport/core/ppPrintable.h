#pragma once
// TppPrintable: what every object that can appear on a generated page shares. Bounds are kept in
// thousandths of a millimetre (microns); the published Left/Top/Width/Height show them in Units.
// It holds appearance (font, colour, border, alignment), the binding to a pipeline field for the
// data-aware kinds, the layout options the band engine reads, the flags with which the engine
// drives one object through a page, and the making of the object's draw command. Descendants add
// the content, the draw command class and the generation step.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Types.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppGraphics.h"

class TFiler;
class TReader;
class TStrings;
class TppDataPipeline;
class TppDataPipelineList;
class TppPage;
class TppPrinter;

// Design-state flags a printable reads (the communicator's DesignState).
constexpr uint16_t dsDesigning = 0x01;
constexpr uint16_t dsDisplayData = 0x08;
constexpr uint16_t dsQuietChange = 0x40;  // with 0x80: changes are not reported to a designer
constexpr uint16_t dsTemplateLoading = 0x80;

// Designer messages (the communicator's SendDesignerMessage; 5050 is the designer's message class).
constexpr int ppdmMessageClass = 5050;
constexpr int ppdmComponentRename = 1124;
constexpr int ppdmComponentFree = 1128;
constexpr int ppdmPropertyChange = 1131;
constexpr int ppdmDataPipelineChange = 1132;
constexpr int ppdmBandFree = 1140;
constexpr int ppdmObjectAdd = 1151;
constexpr int ppdmObjectRemove = 1152;
constexpr int ppdmObjectMove = 1153;

// Stream versions the conversions test against.
constexpr int ppVersionDataField = 1270;      // before it: the field was the "ReportField"
constexpr int ppVersionScreenPixels = 2096;   // up to it: bounds were screen pixels
constexpr int ppVersionUserNames = 3530;      // before it: no user names
constexpr int ppVersionCalcControls = 3998;   // up to it: old calculation controls

using TppDrawCommandClass = TppDrawCommand* (*)();

class TppPrintable : public TppCacheable {
  DECLARE_CLASSINFO(TppPrintable)
public:
  explicit TppPrintable(TComponent* AOwner);
  ~TppPrintable() override;

  // ---- appearance
  TAlignment Alignment() const { return FAlignment; }
  virtual void SetAlignment(TAlignment Value);
  TppTextAlignment TextAlignment() const { return FTextAlignment; }
  virtual void SetTextAlignment(TppTextAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  void AssignAutoSize(bool Value) { FAutoSize = Value; }
  TppBorder* Border() const { return FBorder.get(); }
  virtual void SetBorder(const TppBorder* Value);  // copies
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor Value);
  TppFont* Font() const { return FFont.get(); }
  virtual void SetFont(const TFont* Value);  // copies
  bool ForceJustifyLastLine() const { return FForceJustifyLastLine; }
  virtual void SetForceJustifyLastLine(bool Value);
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  virtual void SetWordWrap(bool Value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void SetBackgroundColor(TColor Value, bool Transparent);
  virtual void GetBackgroundColor(TColor& Value, bool& Transparent) const;
  virtual void SetFontColor(TColor Value);
  virtual void GetFontColor(TColor& Value, bool& Transparent) const;
  virtual void SetPenWidth(int) {}

  // ---- caption and text
  virtual std::string GetCaption();
  const std::string& Caption() const { return FCaption; }
  virtual void SetCaption(const std::string& Value);
  virtual std::string GetText() const { return FText; }
  virtual void SetText(const std::string& Value);
  virtual std::string GetDescription() const { return GetUserName(); }
  virtual std::string GetComponentTypeName() const;
  virtual std::string GetDefaultPropHint() const;
  virtual void GetDefaultPropList(TStrings&) {}
  const std::string& DefaultPropName() const { return FDefaultPropName; }
  int DefaultPropEditType() const { return FDefaultPropEditType; }

  // ---- data binding (data-aware kinds only)
  const std::string& DataField() const { return FDataField; }
  virtual void SetDataField(const std::string& Value);
  virtual TppDataPipeline* GetDataPipeline() const { return FDataPipeline; }
  virtual void SetDataPipeline(TppDataPipeline* Value);
  const std::string& DataPipelineName() const { return FDataPipelineName; }
  bool LookupPipeline() const { return FLookupPipeline; }
  void SetLookupPipeline(bool V) { FLookupPipeline = V; }
  virtual bool IsDataAvailable() const;
  virtual void GetDataPipelines(std::vector<TppDataPipeline*>& List) const;
  virtual void RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName, const std::string& NewName);
  virtual void ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName);
  virtual void ResolveDataPipeline(const TppDataPipelineList& List);

  // ---- bounds (microns)
  int32_t mmLeft() const { return FLeft; }
  int32_t mmTop() const { return FTop; }
  int32_t mmWidth() const { return FWidth; }
  int32_t mmHeight() const { return FHeight; }
  virtual void SetmmLeft(int32_t Value);
  virtual void SetmmTop(int32_t Value);
  virtual void SetmmWidth(int32_t Value);
  virtual void SetmmHeight(int32_t Value);
  virtual void SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height);
  TppUnitType Units() const { return FUnits; }
  virtual void SetUnits(TppUnitType Value) { FUnits = Value; }
  // The published bounds, in Units.
  float GetLeft() const;
  float GetTop() const;
  float GetWidth() const;
  float GetHeight() const;
  void SetLeft(float Value);
  void SetTop(float Value);
  void SetWidth(float Value);
  void SetHeight(float Value);
  // Screen pixels.
  int GetspLeft() const;
  int GetspTop() const;
  int GetspWidth() const;
  int GetspHeight() const;
  void SetspLeft(int Value);
  void SetspTop(int Value);
  void SetspWidth(int Value);
  void SetspHeight(int Value);
  void SetSpBounds(int Left, int Top, int Width, int Height);
  virtual TRect GetClientRect() const;
  TRect GetSpBoundsRect() const;
  float MMThousandthsToUnits(int32_t Value, TppUnitType Unit, int Axis) const;
  int32_t UnitsToMMThousandths(TppUnitType Unit, int Axis, float Value) const;

  // ---- layout options
  bool ParentHeight() const { return FParentHeight; }
  virtual void SetParentHeight(bool Value) { FParentHeight = Value; }
  bool ParentWidth() const { return FParentWidth; }
  virtual void SetParentWidth(bool Value) { FParentWidth = Value; }
  bool ReprintOnOverFlow() const { return FReprintOnOverFlow; }
  virtual void SetReprintOnOverFlow(bool Value);
  bool StretchWithParent() const { return FStretchWithParent; }
  virtual void SetStretchWithParent(bool Value);
  virtual bool GetShiftWithParent() const { return false; }
  virtual void SetShiftWithParent(bool) {}
  int ZOrder() const { return FZOrder; }
  void SetZOrder(int V) { FZOrder = V; }

  // ---- generation state
  bool DrawComponent() const { return FDrawComponent; }
  void SetDrawComponent(bool V) { FDrawComponent = V; }
  bool GenerationComplete() const { return FGenerationComplete; }
  void SetGenerationComplete(bool V) { FGenerationComplete = V; }
  bool OutOfSpace() const { return FOutOfSpace; }
  void SetOutOfSpace(bool V) { FOutOfSpace = V; }
  bool OverFlow() const { return FOverFlow; }
  void SetOverFlow(bool V) { FOverFlow = V; }
  int32_t SpaceUsed() const { return FSpaceUsed; }
  virtual void SetSpaceUsed(int32_t Value) { FSpaceUsed = Value; }
  bool ResetOnCompute() const { return FResetOnCompute; }
  virtual void SetResetOnCompute(bool Value) { FResetOnCompute = Value; }
  TRect PrintRect() const { return FPrintRect; }
  void SetPrintRect(const TRect& R) { FPrintRect = R; }

  virtual void Init();
  virtual void Reset() { FResetOnCompute = true; }
  virtual void BeginGeneration();
  virtual void MarkForDrawing();
  virtual void PrintToPage(TppPage* Page);
  virtual void EndGeneration();
  virtual void Generate() = 0;
  void DoOnPrint();
  virtual void Compute() {}
  virtual void StartOfMainReport() {}
  virtual void StartOfGeneration() {}
  virtual void EndOfMainReport() {}
  virtual void PrepareContent() {}
  virtual void LanguageChanged() {}
  virtual void ReprintCheck() {}
  virtual void ExtensionHook() {}

  // ---- draw commands
  TppDrawCommandClass DrawCommandClass() const { return FDrawCommandClass; }
  virtual void CreateDrawCommand(TppPage* Page);
  virtual void PropertiesToDrawCommand(TppDrawCommand* DrawCommand);
  virtual void DrawCommandClick(TObject* DrawCommand);

  // ---- what descendants answer
  virtual void RecalcSize() { InvalidateDesignControl(); }
  virtual bool HasColor() const { return true; }
  virtual bool HasFont() const { return true; }
  virtual bool IsDataAware() const { return false; }
  virtual bool IsSimpleComponent() const { return true; }
  virtual bool NeedsResetOnInit() const { return false; }
  virtual bool CanFullJustify() const { return false; }
  virtual bool IsReportPrinting() const { return false; }
  virtual TppPrinter* GetPrinter() const { return nullptr; }
  virtual TComponent* GetReportDesigner() const = 0;
  virtual int GetLanguageIndex() const = 0;

  // ---- design-time notices
  virtual void InvalidateDesignControl();
  virtual void NotifyBoundsChange();
  virtual void InvalidateLayout() {}
  void PropertyChanged() override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void DesignStateChanged(uint16_t Flags) override;
  void SetName(const std::string& Value) override;
  void SetUserName(const std::string& Value) override;

  // ---- streaming
  void DefineProperties(TFiler* Filer) override;
  void ReadState(TReader& Reader) override;
  void Loaded() override;
  virtual void ConvertFromVersion(int Version);

  TNotifyEvent OnPrint;
  TppDrawCommandEvent OnDrawCommandCreate;
  TppDrawCommandEvent OnDrawCommandClick;

protected:
  void Destroying() override;
  // Descendants name the draw command they make.
  void SetDrawCommandClass(TppDrawCommandClass Value) { FDrawCommandClass = Value; }
  // Descendants name the property a designer edits first, and how.
  void SetDefaultProp(const std::string& Name, int EditType) {
    FDefaultPropName = Name;
    FDefaultPropEditType = EditType;
  }
  // Being read or loaded (reading counts only while dsFollowNameWhileLoading is clear).
  bool IsReadingOrLoading() const;
  bool Designing() const { return (DesignState() & dsDesigning) != 0; }
  virtual void BoundsChanged();
  virtual void FontChanged();
  void BorderChanged();
  // The pipeline's display name of DataField, or DataField without a pipeline.
  std::string FieldDisplayName() const;
  void StoreBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height);

private:
  void SetBound(int32_t& Field, int32_t Value, const char* Change);
  void SetPublishedBound(int32_t& Field, int Axis, float Value, void (TppPrintable::*Set)(int32_t));

  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = false;
  std::unique_ptr<TppBorder> FBorder;
  std::string FCaption;
  TColor FColor = clWhite;
  std::string FDataField;
  TppDataPipeline* FDataPipeline = nullptr;
  std::string FDataPipelineName;
  int FDefaultPropEditType = 1;
  std::string FDefaultPropName;
  TppDrawCommandClass FDrawCommandClass = nullptr;
  bool FDrawComponent = false;
  std::unique_ptr<TppFont> FFont;
  bool FForceJustifyLastLine = false;
  bool FGenerationComplete = false;
  int32_t FHeight;
  int32_t FLeft = 0;
  bool FLookupPipeline = false;
  bool FOutOfSpace = false;
  bool FOverFlow = false;
  bool FParentHeight = false;
  bool FParentWidth = false;
  TRect FPrintRect{};
  bool FReprintOnOverFlow = false;
  bool FResetOnCompute = false;
  int32_t FPriorHeight = 0, FPriorWidth = 0;
  int32_t FSpaceUsed = 0;
  bool FStretchWithParent = false;
  std::string FText;
  TppTextAlignment FTextAlignment = taLeftJustified;
  int32_t FTop = 0;
  bool FTransparent = false;
  TppUnitType FUnits = utInches;
  bool FVisible = true;
  int32_t FWidth;
  bool FWordWrap = false;
  int FZOrder = 0;
  std::string FOldDataSourceName;
  std::string FOldReportField;
};
