#pragma once
// The report's outline settings: whether an outline is built at all, whether page nodes are
// added, and whether the preview shows the tree at first.
#include "ppreport/core/ppOutlineSettings.h"

class TppOutlineReportSettings : public TppOutlineSettings {
  DECLARE_CLASSINFO(TppOutlineReportSettings)
public:
  explicit TppOutlineReportSettings(TComponent* Participant = nullptr) : TppOutlineSettings(Participant) {}

  bool CreatePageNodes() const { return FCreatePageNodes; }
  void SetCreatePageNodes(bool Value);
  bool Enabled() const { return FEnabled; }
  // Off also hides the tree.
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  // Only while enabled; no notice (nothing generated depends on it).
  void SetVisible(bool Value);

  using TPersistent::Assign;
  // CreatePageNodes and Enabled, then the base's CreateNode.
  void Assign(const TPersistent* Source) override;

private:
  bool FCreatePageNodes = true;
  bool FEnabled = true;
  bool FVisible = true;
};
