#pragma once
// TppBand: the strip of a report that holds band objects and that generation prints once per page,
// record, group or report (the band kinds decide). It owns its objects (drawing order: front is
// last) and keeps two ordered sub-lists, the texts whose values are saved and the variables in
// calculation order. Its height changes only through ChangeHeight, which listeners may refuse;
// every structural change resets the report so that pages are generated again.
//
// Old streams: bands stored before the variables existed hold calculation controls; they are
// replaced by variables once the whole reading has been loaded (no event loop is needed).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppComponent.h"

class TppCustomReport;
class TppDataPipeline;
class TppDataPipelineList;
class TppPrinter;

class TppBand : public TppCacheable {
  DECLARE_CLASSINFO(TppBand)
public:
  explicit TppBand(TComponent* AOwner);
  ~TppBand() override;

  // ---- report
  TppCustomReport* Report() const { return FReport; }
  virtual void SetReport(TppCustomReport* NewReport);
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  bool HasParent() const override { return true; }
  int GetIndex() const;
  void Reset();
  bool IsMainReportBusy() const;
  virtual TppDataPipeline* GetDataPipeline() const;
  // A detail band may have a pipeline of its own (not the report's); the other kinds ignore it.
  virtual void SetDataPipeline(TppDataPipeline*) {}
  int GetLanguageIndex() const;
  bool IsNewPage() const;
  // The printer lengths in printer pixels count with: the report's, else the shared printer.
  TppPrinter* GetCacheablePrinter() const;

  // ---- objects
  void AddObject(TppComponent* Component);
  void RemoveObject(TppComponent* Component);
  int GetObjectCount() const { return static_cast<int>(FObjects.size()); }
  TppComponent* GetObjects(int Index) const;  // EListError outside
  int IndexOfObject(const TppComponent* Component) const;
  bool FindObjectByName(const std::string& Name, int& Index) const;
  void MoveObject(int OldIndex, int NewIndex);
  void BringObjectToFront(TppComponent* Component);
  void SendObjectToBack(TppComponent* Component);
  void GetSubReports(std::vector<TppComponent*>& List) const;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  int GetSaveCount() const { return static_cast<int>(FSaves.size()); }
  TppComponent* GetSaves(int Index) const;
  int IndexOfSave(const TppComponent* Text) const;
  void AddSave(TppComponent* Text);
  void InsertSave(int Index, TppComponent* Text);
  void RemoveSave(TppComponent* Text);
  int GetVariableCount() const { return static_cast<int>(FVariables.size()); }
  TppComponent* GetVariables(int Index) const;
  int IndexOfVariable(const TppComponent* Variable) const;
  void AddVariable(TppComponent* Variable);
  void InsertVariable(int Index, TppComponent* Variable);
  void RemoveVariable(TppComponent* Variable);

  // ---- properties
  const std::string& Caption() const { return FCaption; }
  virtual void SetCaption(const std::string& Value);
  TppPrintHeightType PrintHeight() const { return FPrintHeight; }
  virtual void SetPrintHeight(TppPrintHeightType Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Save() const { return FSave; }
  void SetSave(bool Value);
  int PrintCount() const { return FPrintCount; }
  void SetPrintCount(int Value);
  int PrintMode() const { return FPrintMode; }
  TppUnitType Units() const { return FUnits; }
  void SetUnits(TppUnitType Value);
  int32_t mmHeight() const { return FHeight; }
  int32_t mmBottomOffset() const { return FBottomOffset; }
  int32_t mmPrintPosition() const { return FPrintPosition; }
  float GetHeight() const;
  void SetHeight(float Value);
  float GetBottomOffset() const;
  void SetBottomOffset(float Value);
  float GetPrintPosition() const;
  void SetPrintPosition(float Value);
  void ChangeHeight(int32_t NewHeight);
  int GetspHeight() const;
  void SetspHeight(int Pixels);
  // The column width in a report of several columns (column bands), else the printable width.
  int32_t GetmmWidth() const;
  int GetspWidth() const;
  int GetspTop();
  void SetspTop(int Value);
  int32_t GetmmTop();
  // Left, top, width, height when the objects were last anchored.
  TRect GetPriorBounds() const { return FPriorBounds; }
  float FromMicrons(int32_t Value, TppUnitType Unit, int Axis) const;
  int32_t ToMicrons(TppUnitType Unit, int Axis, float Value) const;
  bool DrawPage() const { return FDrawPage; }
  void SetDrawPage(bool V) { FDrawPage = V; }
  bool LastBand() const { return FLastBand; }
  void SetLastBand(bool V) { FLastBand = V; }
  int CaptionIndex() const { return FCaptionIndex; }
  void SetCaptionIndex(int V) { FCaptionIndex = V; }

  // ---- what the band kinds supply
  virtual int GetDefaultPrintMode() const { return 1; }
  virtual std::string GetBandSortKey() const = 0;
  virtual TppBandType GetBandType() const = 0;
  virtual std::string GetDefaultCaption() const = 0;
  virtual void Generate() = 0;
  virtual bool IsColumnBand() const { return true; }
  virtual bool IsRepeatedBand() const { return false; }
  // The group of a group band; null for the others.
  virtual TppGroup* GetGroup() const { return nullptr; }
  // Generation state the band engine keeps; a group reads it at its breaks.
  bool Breaking() const { return FBreaking; }
  void SetBreaking(bool V) { FBreaking = V; }
  virtual bool OverFlow() const { return false; }
  virtual bool PartialGeneration() const { return false; }

  // ---- report-wide steps, passed to every object
  virtual void Init();
  virtual void StartOfMainReport();
  virtual void StartOfGeneration();
  virtual void EndOfMainReport();
  virtual void EndOfPage() {}
  virtual void ReprintCheck();
  virtual void LanguageChanged();
  void RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName, const std::string& NewName);
  virtual void ResolveDataPipeline(const TppDataPipelineList& List);
  virtual void ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName);
  virtual void SizeChanged();

  // ---- events
  virtual void DoAfterGenerate();
  virtual void DoBeforeGenerate();
  virtual void DoAfterPrint();
  virtual void DoBeforePrint();
  TNotifyEvent AfterGenerate, AfterPrint, BeforeGenerate, BeforePrint;

  // ---- communicator
  void PropertyChanged() override;
  void ChangeOwner(TComponent* NewOwner) override;
  void AddDesignState(uint16_t Flags);
  void RemoveDesignState(uint16_t Flags);
  bool IsValidUserName(const std::string&) const override { return true; }

  // ---- streaming and old versions
  void DefineProperties(TFiler* Filer) override;
  void ReadState(TReader& Reader) override;
  void Loaded() override;
  virtual void ConvertFromVersion(int Version);
  // Replaces every old calculation control by the variable that does its work.
  void ConvertCalcControls();

  // Makes the replacement of an old calculation control (the generation library installs it):
  // creates the new object beside Band's report, in Band, copies the old one's properties and
  // answers it; null leaves the old control in place.
  using TCalcControlConverter = std::function<TppComponent*(TppBand& Band, TppComponent& Old)>;
  static void SetCalcControlConverter(TCalcControlConverter Converter);
  // Whether a component is an old calculation control (the class "TppCalc").
  static bool IsCalcControl(const TppComponent& Component);

protected:
  void Destroying() override;
  bool IsReading() const { return HasState(csReading); }
  bool IsReadingOrLoading() const { return HasState(csReading) || HasState(csLoading); }
  bool Designing() const { return (DesignState() & dsDesigning) != 0; }

private:
  void SortSaves();
  void SortVariables();
  void SetPriorBounds();

  int32_t FBottomOffset = 0;
  std::string FCaption;
  int FCaptionIndex = 0;
  bool FDrawPage = false;
  int32_t FHeight = 13229;
  bool FLastBand = false;
  std::vector<TppComponent*> FObjects;
  TRect FPriorBounds{};
  int FPrintCount = 0;
  TppPrintHeightType FPrintHeight = phStatic;
  int32_t FPrintPosition = 0;
  int FPrintMode = 1;
  TppCustomReport* FReport = nullptr;
  bool FSave = false;
  std::vector<TppComponent*> FSaves;
  TppUnitType FUnits = utInches;
  std::vector<TppComponent*> FVariables;
  bool FVisible = true;
  bool FBreaking = false;
  std::string FOldPrintHandlerName;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);  // for work queued after loading
};
