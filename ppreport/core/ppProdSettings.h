#pragma once
// The settings objects a producer owns and streams beside its own properties: text search,
// background printing and PDF output. They hold what the producer itself reads; the output library
// (search, background printing, the PDF device) reads the rest of its settings from them.
#include <string>

#include "platform/classes/Classes.h"
#include "ppreport/core/ppTypes.h"

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
