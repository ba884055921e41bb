#pragma once
// The band kinds that print once per page, once per column or once per report: the page header and
// footer, the title and summary, and the column header and footer. Each runs the generation loop of
// the band base and changes only whether it prints on the page it is offered and where.
#include <cstdint>
#include <string>

#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppEngineBands.h"

// Base of the page header and footer: whether the band prints on the first and the last page.
class TppPageBand : public TppBasicBand, public IppEngineBandSettings {
  DECLARE_CLASSINFO(TppPageBand)
public:
  explicit TppPageBand(TComponent* AOwner);
  ~TppPageBand() override;

  bool PrintOnFirstPage() const { return FPrintOnFirstPage; }
  // Effective only on a band of a report (the report is reset).
  void SetPrintOnFirstPage(bool Value);
  bool PrintOnLastPage() const override { return FPrintOnLastPage; }
  void SetPrintOnLastPage(bool Value);

  bool IsColumnBand() const override { return false; }
  // Skips the first page or the last one as the two settings ask.
  void CheckPrintOnPage() override;

private:
  bool FPrintOnFirstPage = true, FPrintOnLastPage = true;
};

class TppHeaderBand : public TppPageBand {
  DECLARE_CLASSINFO(TppHeaderBand)
public:
  explicit TppHeaderBand(TComponent* AOwner) : TppPageBand(AOwner) {}
  ~TppHeaderBand() override;
  std::string GetBandSortKey() const override { return ppBandSortKey(2); }
  TppBandType GetBandType() const override { return btHeader; }
  std::string GetDefaultCaption() const override;
  bool IsPageStartBand() const override { return true; }
};

// Sits on the bottom margin whatever printed above it; never dynamic.
class TppFooterBand : public TppPageBand {
  DECLARE_CLASSINFO(TppFooterBand)
public:
  explicit TppFooterBand(TComponent* AOwner) : TppPageBand(AOwner) {}
  ~TppFooterBand() override;
  std::string GetBandSortKey() const override { return ppBandSortKey(8); }
  TppBandType GetBandType() const override { return btFooter; }
  std::string GetDefaultCaption() const override;
  void SetPrintHeight(TppPrintHeightType) override {}
  void CalcBandPrintPosition() override;
};

// Base of the title and summary: a page of its own when NewPage asks for it.
class TppReportBand : public TppBasicBand {
  DECLARE_CLASSINFO(TppReportBand)
public:
  explicit TppReportBand(TComponent* AOwner) : TppBasicBand(AOwner) {}
  ~TppReportBand() override;

  bool NewPage() const { return FNewPage; }
  void SetNewPage(bool Value);
  // The page break NewPage asks for has been taken in this run.
  bool NewPageDone() const { return FNewPageDone; }
  void SetNewPageDone(bool Value) { FNewPageDone = Value; }

  bool IsColumnBand() const override { return false; }
  void Init() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;

private:
  bool FNewPage = false, FNewPageDone = false;
};

class TppTitleBand : public TppReportBand, public IppEngineBandSettings {
  DECLARE_CLASSINFO(TppTitleBand)
public:
  explicit TppTitleBand(TComponent* AOwner) : TppReportBand(AOwner) {}
  ~TppTitleBand() override;
  std::string GetBandSortKey() const override { return ppBandSortKey(1); }
  TppBandType GetBandType() const override { return btTitle; }
  std::string GetDefaultCaption() const override;
  bool IsPageStartBand() const override { return true; }
  bool TitleNewPage() const override { return NewPage(); }

  void CheckPrintOnPage() override;
  // With NewPage the page ends right after the title.
  TppCustomBand* CheckNewPage() override;
};

class TppSummaryBand : public TppReportBand {
  DECLARE_CLASSINFO(TppSummaryBand)
public:
  explicit TppSummaryBand(TComponent* AOwner) : TppReportBand(AOwner) {}
  ~TppSummaryBand() override;
  std::string GetBandSortKey() const override { return ppBandSortKey(9); }
  TppBandType GetBandType() const override { return btSummary; }
  std::string GetDefaultCaption() const override;

  void CheckPrintOnPage() override;
  // A new page when asked; in columns down the page only from the first column.
  void CalcBandPrintPosition() override;
  void EndOfPage() override;
};

// Prints at the top of every column of a columnar page.
class TppColumnHeaderBand : public TppBasicBand {
  DECLARE_CLASSINFO(TppColumnHeaderBand)
public:
  explicit TppColumnHeaderBand(TComponent* AOwner);
  ~TppColumnHeaderBand() override;
  std::string GetBandSortKey() const override { return ppBandSortKey(3); }
  TppBandType GetBandType() const override { return btColumnHeader; }
  std::string GetDefaultCaption() const override;
  bool IsPageStartBand() const override { return true; }
};

// Prints at the bottom of every column, directly above the page footer's room; never dynamic.
class TppColumnFooterBand : public TppBasicBand {
  DECLARE_CLASSINFO(TppColumnFooterBand)
public:
  explicit TppColumnFooterBand(TComponent* AOwner);
  ~TppColumnFooterBand() override;
  std::string GetBandSortKey() const override { return ppBandSortKey(7); }
  TppBandType GetBandType() const override { return btColumnFooter; }
  std::string GetDefaultCaption() const override;
  void SetPrintHeight(TppPrintHeightType) override {}
  void CalcBandPrintPosition() override;
  // No AfterGenerate: in a child report the footer follows the body instead.
  void AfterBandGenerate() override;
};
