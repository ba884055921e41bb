#pragma once
// TppCustomReport as its bands, groups and band objects see it: the producer plus the band and group
// lists, the units, the master pipeline and the column layout. The rest of the report model
// (templates, columns layout steps, the engine's running) builds on this class.
#include <string>
#include <vector>

#include "ppreport/core/ppProd.h"

class TppBand;
class TppComponent;
class TppDataPipeline;
class TppGroup;

class TppCustomReport : public TppProducer {
  DECLARE_CLASSINFO(TppCustomReport)
public:
  explicit TppCustomReport(TComponent* AOwner);
  ~TppCustomReport() override;

  // ---- bands (the band's SetReport is the way in and out)
  void AddBand(TppBand* Band);
  void RemoveBand(TppBand* Band);
  int BandCount() const { return static_cast<int>(FBands.size()); }
  TppBand* GetBand(int Index) const;  // EListError outside
  int IndexOfBand(const TppBand* Band) const;

  // ---- groups, in nesting order (the group's SetReport is the way in and out)
  void AddGroup(TppGroup* Group);
  void RemoveGroup(TppGroup* Group);
  int GroupCount() const { return static_cast<int>(FGroups.size()); }
  TppGroup* GetGroup(int Index) const;  // EListError outside
  int IndexOfGroup(const TppGroup* Group) const;

  // The first object, band by band, whose component Name is Name (case-sensitive).
  TppComponent* FindObjectByName(const std::string& Name) const;

  TppUnitType Units() const { return FUnits; }
  // Every band (and through it every object) takes the unit.
  virtual void SetUnits(TppUnitType Value);
  TppDataPipeline* DataPipeline() const { return FDataPipeline; }
  virtual void SetDataPipeline(TppDataPipeline* Value);
  int Columns() const { return FColumns; }
  void SetColumns(int Value) { FColumns = Value < 1 ? 1 : Value; }
  int32_t mmColumnWidth() const { return FColumnWidth; }
  void SetmmColumnWidth(int32_t Value) { FColumnWidth = Value; }

  // The report at the top of a sub-report tree; itself here.
  virtual TppCustomReport* GetMainReport() { return this; }
  virtual TComponent* GetReportDesigner() const { return nullptr; }
  // The absolute page number the engine stands on; 0 before the engine runs.
  virtual int AbsolutePageNo() const { return 0; }

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

protected:
  void Destroying() override;

private:
  std::vector<TppBand*> FBands;
  std::vector<TppGroup*> FGroups;
  TppUnitType FUnits = utInches;
  TppDataPipeline* FDataPipeline = nullptr;
  int FColumns = 1;
  int32_t FColumnWidth = 0;
};
