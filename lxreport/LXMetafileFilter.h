#pragma once
// The metafile filter: every stored page the report held when the export started is saved
// as its own file, Base001.wmf, Base002.wmf... (Base: the file name without its extension),
// or .emf files when the shared Enhanced flag is set.
#include <string>

#include "lxreport/LXExport.h"

// The file name without its extension (the whole name when the file's own name has no dot).
std::string MetafileExportBase(const std::string& FileName);

// Shared by every metafile filter; a TLXWMFFilter sets it to false.
extern bool LXWMFEnhanced;

class TLXWMFExportFilter : public TLXExportFilter {
public:
  using TLXExportFilter::TLXExportFilter;
  std::string GetDescription() const override;
  std::string GetExtension() const override;
  std::string GetFilterName() const override;
  // Raises ELXError when the owning report holds no finished pages (it was never prepared).
  void Start(int PaperWidth, int PaperHeight, const TFont* Font) override;
  // Every page's file is written beside its name; they take their names only when all are written.
  void Finish() override;
  const std::string& Base() const { return FBase; }

private:
  std::string FBase;
};

class TLXWMFFilter : public TComponent {
  DECLARE_CLASSINFO(TLXWMFFilter)
public:
  explicit TLXWMFFilter(TComponent* AOwner);
  ~TLXWMFFilter() override;
  bool Enhanced() const { return LXWMFEnhanced; }
  void SetEnhanced(bool V) { LXWMFEnhanced = V; }
};
