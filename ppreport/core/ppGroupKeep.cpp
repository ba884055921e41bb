// The group's part in the engine's run: the end of a break, the page numbers it carries to the
// cached pages, and keep-together.
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppPage.h"
#include "platform/classes/ScopeGuard.h"

bool TppGroup::IsKeepTogetherGroup() const {
  TppCustomEngine* Engine = FReport ? FReport->Engine() : nullptr;
  return Engine && Engine->KeepTogetherGroup() == this;
}

void TppGroup::EndBreak() {
  DoAfterGroupBreak();
  if (IsKeepTogetherGroup()) FKeptTogether = false;
  FKeepTogetherSaved = false;
  ++FBreakNo;
}

void TppGroup::PrepareKeepTogether() {
  if (!FKeepTogether || !FReport) return;
  if (!FCacheManager) {
    FCacheManager = new TppCacheManager(FReport);
    AddNotify(FCacheManager);
  }
  if (!FPageSnapshot) FPageSnapshot = std::make_unique<TppPage>(nullptr);
  ResetKeepTogetherCache();
}

void TppGroup::ResetKeepTogetherCache() {
  if (FResettingCache || !FCacheManager) return;
  TRestore Guard(FResettingCache, true);
  FCacheManager->Reset();
  FKeptTogether = false;
  FKeepTogetherSaved = false;
}

// Once per break: the engine takes the point before it counts the group's first record, which it
// may do before the header asks (an outer group's header, or footers that open a page, fetch the
// record first), and a later call must not move the point past that record.
void TppGroup::SaveKeepTogetherState() {
  if (!IsKeepTogetherGroup()) return;
  TppCustomEngine* Engine = FReport->Engine();
  // A group that begins on a fresh page is never restarted.
  if (!Engine->GetPageStarted()) FKeptTogether = true;
  if (!FKeepTogether || FKeptTogether || FKeepTogetherSaved || !FCacheManager) return;
  ResetKeepTogetherCache();
  FCacheManager->SaveToCache(0);
  FCacheManager->SetTruncateNotices(true);
  if (FPageSnapshot && Engine->Page()) FPageSnapshot->Assign(Engine->Page());
  FKeepTogetherSaved = true;
}

void TppGroup::RestoreKeepTogether() {
  if (!IsKeepTogetherGroup() || !FKeepTogether || FKeptTogether || !FCacheManager) return;
  TppCustomEngine* Engine = FReport->Engine();
  FCacheManager->RestoreFromCache(0);
  FCacheManager->SetTruncateNotices(false);
  Engine->RestoreDataPipelineStates();
  FKeptTogether = true;
  FKeepTogetherSaved = false;
  if (FPageSnapshot && Engine->Page()) Engine->Page()->Assign(FPageSnapshot.get());
}
