#pragma once
// TppPageStyle: a page background band. Its objects (a background picture, a frame, a logo) are
// drawn at the top margin of every page, or of the pages chosen, before anything else the page
// holds, so they lie underneath; the bands after it start where they would have without it.
#include <cstdint>
#include <string>

#include "platform/classes/StringList.h"
#include "ppreport/generation/ppBands.h"

class TppPageStyle : public TppBasicBand {
  DECLARE_CLASSINFO(TppPageStyle)
public:
  explicit TppPageStyle(TComponent* AOwner);
  ~TppPageStyle() override;

  // ---- which pages; every setter is ignored while the report prints
  TppPageSettingType PageSetting() const { return FPageSetting; }
  void SetPageSetting(TppPageSettingType Value);
  // The pages of psPageList, each formatted "%8d", sorted, each once.
  TStringList* PageList() const { return &FPageList; }
  void SetPageList(const TStrings* Value);
  // The list as typed ("1,3,5-7"): parsed into PageList, and the setting becomes psPageList.
  const std::string& ValidPages() const { return FValidPages; }
  void SetValidPages(const std::string& Value);
  int32_t SinglePage() const { return FSinglePage; }
  void SetSinglePage(int32_t Value);
  // psPageRange: from StartPage on, up to EndPage when it is not 0.
  int32_t StartPage() const { return FStartPage; }
  void SetStartPage(int32_t Value);
  int32_t EndPage() const { return FEndPage; }
  void SetEndPage(int32_t Value);
  // Whether the style prints on absolute page PageNo of the whole document.
  bool PrintsOnPage(int PageNo) const;

  // ---- the band kind
  std::string GetBandSortKey() const override;
  TppBandType GetBandType() const override { return btPageStyle; }
  std::string GetDefaultCaption() const override;
  bool IsPageStartBand() const override { return true; }
  bool IsColumnBand() const override { return false; }
  bool IsRepeatedBand() const override { return true; }
  // No pipeline of its own, and not the report's.
  TppDataPipeline* GetDataPipeline() const override { return nullptr; }

  // Skips the pages the setting leaves out.
  void CheckPrintOnPage() override;
  // At the top margin whatever printed before; never out of space.
  void CalcBandPrintPosition() override;
  // Puts the engine's print position back: the style takes no room from the body.
  void CompleteGeneration() override;

private:
  bool Changeable() const;
  void Changed();

  TppPageSettingType FPageSetting = psAll;
  mutable TStringList FPageList;
  std::string FValidPages;
  int32_t FSinglePage = 0, FStartPage = 0, FEndPage = 0;
  TRect FSavedPosition{};
};

void InitializePageStyleUnit();
void FinalizePageStyleUnit();
