#pragma once
// The settings objects a producer owns and streams beside its own properties: text search,
// background printing and PDF output. They hold what the producer itself reads; the output library
// (search, background printing, the PDF device) reads the rest of its settings from them.
#include "platform/classes/Classes.h"

class TppTextSearchSettings : public TPersistent {
  DECLARE_CLASSINFO(TppTextSearchSettings)
public:
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool V) { FEnabled = V; }
  // The report's language changed (the search texts follow it); nothing here.
  virtual void Changed() {}
  using TPersistent::Assign;
  void Assign(const TPersistent* Source) override;

private:
  bool FEnabled = true;
};

class TppBackgroundPrintSettings : public TPersistent {
  DECLARE_CLASSINFO(TppBackgroundPrintSettings)
public:
  bool Enabled() const { return FEnabled; }
  // Switching off also ends Active.
  void SetEnabled(bool V);
  // A run prints in the background; True is taken only while Enabled.
  bool Active() const { return FActive; }
  void SetActive(bool V) { FActive = V && FEnabled; }
  using TPersistent::Assign;
  void Assign(const TPersistent* Source) override;

private:
  bool FEnabled = false;
  bool FActive = false;
};

class TppPDFSettings : public TPersistent {
  DECLARE_CLASSINFO(TppPDFSettings)
public:
  using TPersistent::Assign;
  void Assign(const TPersistent* Source) override;
};
