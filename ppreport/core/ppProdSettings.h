#pragma once
// The settings objects a producer owns and streams beside its own properties: text search,
// background printing and PDF output. They hold what the producer itself reads; the output library
// (search, background printing, the PDF device) reads the rest of its settings from them.
#include <string>

#include "platform/classes/Classes.h"

class TppCommunicator;
enum TppNotifyOperation : int;

// What the preview's text search starts with. The settings are not a communicator: whoever keeps
// a reference to them (engine, preview) links to WalkieTalkie() to hear when they go.
class TppTextSearchSettings : public TPersistent {
  DECLARE_CLASSINFO(TppTextSearchSettings)
public:
  TppTextSearchSettings();
  ~TppTextSearchSettings() override;

  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool V) { FCaseSensitive = V; }
  const std::string& DefaultString() const { return FDefaultString; }
  void SetDefaultString(const std::string& V) { FDefaultString = V; }
  bool Enabled() const { return FEnabled; }
  // Switching off later keeps Visible as it is.
  void SetEnabled(bool V) { FEnabled = V; }
  bool ShowAll() const { return FShowAll; }
  void SetShowAll(bool V) { FShowAll = V; }
  bool SearchFromCurrentPage() const { return FSearchFromCurrentPage; }
  void SetSearchFromCurrentPage(bool V) { FSearchFromCurrentPage = V; }
  bool Visible() const { return FVisible; }
  // Taken only while Enabled.
  void SetVisible(bool V) { FVisible = V && FEnabled; }
  bool WholeWord() const { return FWholeWord; }
  void SetWholeWord(bool V) { FWholeWord = V; }

  // Field by field (Visible as the source has it, whatever this one's Enabled).
  using TPersistent::Assign;
  void Assign(const TPersistent* Source) override;
  // The report's language changed; the default text stays what was stored.
  virtual void LanguageChanged() {}

  // Never null. Freed only with the settings: one freed from outside is replaced (a free cannot be
  // refused), and its partners heard of it as of any free.
  TppCommunicator* WalkieTalkie();
  // The walkie-talkie's notice callback: a notice of its own free raises ESearchError.
  virtual void WalkieTalkieNotifyEvent(TppCommunicator* Sender, TppNotifyOperation Operation);

private:
  class TWalkieTalkie;
  void WalkieTalkieFreed(TWalkieTalkie* W);
  TWalkieTalkie* FWalkieTalkie = nullptr;  // owned
  std::string FDefaultString;
  bool FCaseSensitive = false;
  bool FEnabled = true;
  bool FShowAll = false;
  bool FSearchFromCurrentPage = false;
  bool FVisible = false;
  bool FWholeWord = false;
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
