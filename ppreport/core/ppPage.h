#pragma once
// A generated page (TppPage): its numbers, how it came about, the printer setup it was laid out for
// and its draw commands (its tree children, in drawing order, owned by the page). A page is plain
// data: copies (Assign) are deep and stand alone, so the publisher's cache and the archive keep
// pages that outlive the report run that made them.
//
// A page request (TppPageRequest) says which pages a device wants: all, a list, one page, the first
// or the last, or a range; optionally only odd or even ones.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/StringList.h"
#include "platform/rtl/DateTime.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPrinterSetup.h"

class TppDevice;

class TppPage : public TppRelative {
  DECLARE_CLASSINFO(TppPage)
public:
  explicit TppPage(TComponent* AOwner);
  ~TppPage() override;

  // ---- published
  int AbsolutePageNo() const { return FAbsolutePageNo; }
  void SetAbsolutePageNo(int V) { FAbsolutePageNo = V; }
  int AbsolutePageCount() const { return FAbsolutePageCount; }
  void SetAbsolutePageCount(int V) { FAbsolutePageCount = V; }
  int PageNo() const { return FPageNo; }
  void SetPageNo(int V) { FPageNo = V; }
  int PageCount() const { return FPageCount; }
  void SetPageCount(int V) { FPageCount = V; }
  int ControlGroupBreakNo() const { return FControlGroupBreakNo; }
  void SetControlGroupBreakNo(int V) { FControlGroupBreakNo = V; }
  // Made in a first pass only to count pages: a message page for devices, never cached.
  bool Calculation() const { return FCalculation; }
  void SetCalculation(bool V) { FCalculation = V; }
  bool Final() const { return FFinal; }
  void SetFinal(bool V) { FFinal = V; }
  bool FirstPage() const { return FFirstPage; }
  void SetFirstPage(bool V) { FFirstPage = V; }
  bool LastPage() const { return FLastPage; }
  void SetLastPage(bool V) { FLastPage = V; }
  TColor Color() const { return FColor; }
  void SetColor(TColor V) { FColor = V; }
  const std::string& DocumentName() const { return FDocumentName; }
  void SetDocumentName(const std::string& V) { FDocumentName = V; }
  int LanguageIndex() const { return FLanguageIndex; }
  void SetLanguageIndex(int V) { FLanguageIndex = V; }
  TppPassSettingType PassSetting() const { return FPassSetting; }
  void SetPassSetting(TppPassSettingType V) { FPassSetting = V; }
  TDateTime PrintDateTime() const { return FPrintDateTime; }
  void SetPrintDateTime(TDateTime V) { FPrintDateTime = V; }
  TppPrinterSetup* PrinterSetup() const { return FPrinterSetup.get(); }
  void SetPrinterSetup(const TppPrinterSetup* Value);  // copies; null ignored
  TppPageDef* PageDef() const { return FPrinterSetup->PageDef(); }

  // The report that made the page (not owned, not copied into streams); may be gone from a cached
  // copy, so devices draw without it.
  TComponent* Producer() const { return FProducer; }
  void SetProducer(TComponent* Value);

  // ---- draw commands
  // Appends the command (the command's SetPage calls this): an updateable one also joins the
  // updateables, a clickable one the clickables, and the page becomes its owner. A second outline
  // command raises EOutlineError and changes nothing.
  void AddDrawCommand(TppDrawCommand* DrawCommand);
  // The command leaves the page and its lists; the page gives up owning it (it is not freed).
  void RemoveDrawCommand(TppDrawCommand* DrawCommand);
  // Frees every command, last to first.
  void ClearDrawCommands();
  int GetDrawCommandCount() const { return GetChildCount(); }
  // EListError outside the list. Every child is a draw command (InsertChild refuses others).
  TppDrawCommand* GetDrawCommand(int Index) const;
  // Takes draw commands only, so that the count and the list of draw commands agree: anything
  // else (a page nested in a page's stream) raises EReadError while the page is read, else
  // ETalvorError.
  void InsertChild(int Index, TppRelative* Child) override;
  int GetClickableCount() const { return static_cast<int>(FClickables.size()); }
  TppDrawCommand* GetClickable(int Index) const;  // null outside the list
  bool HasUpdateables() const { return !FUpdateables.empty(); }
  int GetUpdateableCount() const { return static_cast<int>(FUpdateables.size()); }
  // Brings every updateable command up to date; those whose value changed are redrawn on Device
  // when one is given.
  void RedrawUpdateables(TppDevice* Device);
  // The first command of Class or a descendant, null when none.
  TppDrawCommand* FindDrawCommand(const TClassInfo& Class) const;
  // The page's outline command (the class registered as "TppOutlineDrawCommand"), null when none.
  TppDrawCommand* GetOutlineDrawCommand() const;

  // Language string 18, a blank, the absolute page number ("Página 3").
  std::string GetPageNoText() const;
  // "Página 3 de 12" from language strings 18 and 16.
  std::string GetPageOfPagesText() const;

  // Numbers, flags and document name back to their start; the commands are freed. FirstPage,
  // PassSetting, PrintDateTime, Color and the printer setup stay.
  void Reset();

  using TPersistent::Assign;
  // From a page only (else the class library's error): every property, the producer and the
  // printer setup; then its own commands are freed and each command of Source is copied into a
  // new one of the same class.
  void Assign(const TPersistent* Source) override;
  // The printer setup's Changed hook after reading.
  void Loaded() override;

protected:
  void Destroying() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // A page's own draw commands come and go by the hundred and hold no reference to each other: only
  // the page hears of them (telling every sibling made filling and freeing a page quadratic).
  bool NotifiesOwned(const TComponent* AComponent) const override;

private:
  int FAbsolutePageNo = 0, FAbsolutePageCount = 0, FPageNo = 0, FPageCount = 0, FControlGroupBreakNo = 0;
  bool FCalculation = false, FFinal = false, FFirstPage = false, FLastPage = false;
  TColor FColor = clWhite;
  std::string FDocumentName;
  int FLanguageIndex = 0;
  TppPassSettingType FPassSetting = psOnePass;
  TDateTime FPrintDateTime = 0;
  std::unique_ptr<TppPrinterSetup> FPrinterSetup;
  TComponent* FProducer = nullptr;
  std::vector<TppDrawCommand*> FClickables, FUpdateables;
};

class TppPageRequest : public TPersistent {
  DECLARE_CLASSINFO(TppPageRequest)
public:
  TppPageRequest();
  ~TppPageRequest() override;

  TppPageSettingType PageSetting() const { return FPageSetting; }
  void SetPageSetting(TppPageSettingType V) { FPageSetting = V; }
  TppPageRangeType PageRange() const { return FPageRange; }
  void SetPageRange(TppPageRangeType V) { FPageRange = V; }
  int PageRequested() const { return FPageRequested; }
  void SetPageRequested(int V) { FPageRequested = V; }
  // Absolute page numbers, one plain decimal number per line, kept in ascending order.
  TStringList* PageList() const { return FPageList.get(); }
  // Copies List, in ascending numeric order (entries that are not numbers keep their place last).
  void SetPageList(const TStrings* List);
  // psPageRange: the first and last page of the range (both included).
  int RangeFrom() const { return FRangeFrom; }
  int RangeTo() const { return FRangeTo; }
  // psPageRange from From to To; a range given backwards is turned round.
  void SetPageRangeBounds(int From, int To);

  // An empty list, all pages, page 1.
  void Reset();
  using TPersistent::Assign;
  // From another request only; anything else is ignored.
  void Assign(const TPersistent* Source) override;
  // Whether the request wants Page. A single page beyond the end becomes the last page, and one
  // below 1 the first page, when that page passes.
  bool IsRequestedPage(const TppPage& Page);
  // Whether Page is the last one the request needs.
  bool IsLastRequestedPage(const TppPage& Page) const;
  // Adds what Other asks for: see the source. The list stays sorted.
  void Merge(const TppPageRequest& Other);
  // "RangeFrom" and "RangeTo" of a range request.
  void DefineProperties(TFiler* Filer) override;

private:
  // Adds Page to the list at its numeric place, once.
  void AddListPage(int Page);
  int IndexOfListPage(int Page) const;

  TppPageSettingType FPageSetting = psAll;
  TppPageRangeType FPageRange = prAll;
  int FPageRequested = 1;
  std::unique_ptr<TStringList> FPageList;
  int FRangeFrom = 1, FRangeTo = 1;
};
