#pragma once
// The settings objects a producer owns and streams beside its own properties: text search,
// background printing and PDF output. They hold what the producer itself reads; the output library
// (search, background printing, the PDF device) reads the rest of its settings from them.
#include <string>

#include "platform/classes/Classes.h"
#include "ppreport/core/ppTypes.h"

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

// The stream names (clNone, clDefault, ...) are those of the colour constants, so the values have
// names of their own here.
enum TppCompressionLevel { pclNone, pclFastest, pclDefault, pclMax };
template <>
inline const TEnumInfo& EnumInfo<TppCompressionLevel>() {
  static const TEnumInfo Info{"TppCompressionLevel", {"clNone", "clFastest", "clDefault", "clMax"}};
  return Info;
}

class TppPDFSettings : public TPersistent {
  DECLARE_CLASSINFO(TppPDFSettings)
public:
  const std::string& Author() const { return FAuthor; }
  void SetAuthor(const std::string& V) { FAuthor = V; }
  TppCompressionLevel CompressionLevel() const { return FCompressionLevel; }
  void SetCompressionLevel(TppCompressionLevel V) { FCompressionLevel = V; }
  const std::string& Keywords() const { return FKeywords; }
  void SetKeywords(const std::string& V) { FKeywords = V; }
  bool OpenPDFFile() const { return FOpenPDFFile; }
  void SetOpenPDFFile(bool V) { FOpenPDFFile = V; }
  bool ScaleImages() const { return FScaleImages; }
  void SetScaleImages(bool V) { FScaleImages = V; }
  const std::string& Subject() const { return FSubject; }
  void SetSubject(const std::string& V) { FSubject = V; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& V) { FTitle = V; }

  using TPersistent::Assign;
  void Assign(const TPersistent* Source) override;

private:
  std::string FAuthor, FKeywords, FSubject, FTitle;
  TppCompressionLevel FCompressionLevel = pclDefault;
  bool FOpenPDFFile = false;
  bool FScaleImages = true;
};

// The window states of the preview form. The forms' own enumeration lives with the widgets, which
// this library does not link; the ordinals and stream names are the same.
enum TppPreviewWindowState { pwsNormal, pwsMinimized, pwsMaximized };
template <>
inline const TEnumInfo& EnumInfo<TppPreviewWindowState>() {
  static const TEnumInfo Info{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};
  return Info;
}

// How the preview window opens. The owner listens on OnChange to re-apply the settings to a
// preview window that is open.
class TppPreviewFormSettings : public TPersistent {
  DECLARE_CLASSINFO(TppPreviewFormSettings)
public:
  TppPreviewWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TppPreviewWindowState V);
  TppZoomSettingType ZoomSetting() const { return FZoomSetting; }
  void SetZoomSetting(TppZoomSettingType V);
  int ZoomPercentage() const { return FZoomPercentage; }
  // Kept within 25 .. 250; switches the zoom to zsPercentage.
  void SetZoomPercentage(int V);
  // The three settings of Source, without notifying.
  void CopySettings(const TppPreviewFormSettings& Source);

  TNotifyEvent OnChange;

private:
  void Changed();
  TppPreviewWindowState FWindowState = pwsNormal;
  TppZoomSettingType FZoomSetting = zsWholePage;
  int FZoomPercentage = 100;
};
