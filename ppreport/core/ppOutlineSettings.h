#pragma once
// How a report, a sub-report or a group takes part in the outline (the table of contents built
// while the pages are generated): the participant interface and its settings. The participants
// live in the core (groups) and in generation (reports, sub-reports), so this unit is the core's.
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

class TppCustomReport;
class TppOutlineSettings;

// What the outline asks of each participant; the report, the sub-report and the group answer it.
class IppOutlineParticipant {
public:
  virtual ~IppOutlineParticipant() = default;
  // The participants directly below this one in print order (filled anew on each call).
  virtual std::vector<TComponent*> GetOutlineChildren() const = 0;
  // The participant that directly holds this one; null for the main report.
  virtual TComponent* GetOutlineParent() const = 0;
  // The node creator class made for this participant (a TppOutlineNodeCreator descendant).
  virtual const TClassInfo& GetNodeCreatorClass() const = 0;
  virtual TppOutlineSettings* GetOutlineSettings() const = 0;
  // A setting changed: the report's pages are out of date.
  virtual void OutlineSettingsChanged() = 0;
};

// What a report node creator needs besides: reports and sub-reports answer it. The generation
// state lives in the concrete engine and the sub-report, so it is asked here rather than read.
class IppOutlineReportParticipant : public IppOutlineParticipant {
public:
  // The report whose generation the node follows: the report itself, a sub-report's child report.
  virtual TppCustomReport* GetOutlineReport() = 0;
  // The report's caption ("Relatório: Clientes"); the node shows the text before the colon.
  virtual std::string GetOutlineCaption() = 0;
  // A sub-report (ntSubReport nodes) rather than a report (ntReport).
  virtual bool IsOutlineSubReport() = 0;
  // A report always makes its own node; a sub-report only when it prints as a section.
  virtual bool IsOutlineSection() = 0;
  // The engine of GetOutlineReport has generated the report's last band.
  virtual bool IsLastBandGenerated() = 0;
  // A sub-report whose drill-down is active and not expanded: its pages come and go, so the
  // report cannot have an outline.
  virtual bool IsOutlineDrillDownActive() = 0;
};

// Whether a participant's nodes are accepted into the outline.
class TppOutlineSettings : public TPersistent {
  DECLARE_CLASSINFO(TppOutlineSettings)
public:
  // Participant: the owning report, sub-report or group (null: nobody is told of changes).
  explicit TppOutlineSettings(TComponent* Participant = nullptr) : FParticipant(Participant) {}

  bool CreateNode() const { return FCreateNode; }
  void SetCreateNode(bool Value);
  TComponent* Participant() const { return FParticipant; }

  using TPersistent::Assign;
  // From another outline settings object (else the class library's error).
  void Assign(const TPersistent* Source) override;

protected:
  // Tells the participant, unless it is being read or loaded.
  void Changed();

private:
  TComponent* FParticipant;
  bool FCreateNode = true;
};
