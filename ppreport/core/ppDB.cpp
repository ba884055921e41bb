#include "ppreport/core/ppDB.h"

#include <algorithm>
#include <cstdlib>

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppReaderUtils.h"

const TClassInfo& TppDataPipeline::StaticClassInfo() {
  using P = TppDataPipeline;
  static const TClassInfo Info = TClassDef<P>("TppDataPipeline", &TppRelative::StaticClassInfo())
                                     .Prop("MoveBy", &P::GetMoveBy, &P::SetMoveBy)
                                     .Default(1)
                                     .Prop("RangeBegin", &P::RangeBegin, &P::SetRangeBegin)
                                     .Default(rbFirstRecord)
                                     .Prop("RangeEnd", &P::RangeEnd, &P::SetRangeEnd)
                                     .Default(reLastRecord)
                                     .Prop("RangeEndCount", &P::RangeEndCount, &P::SetRangeEndCount)
                                     .Default(0)
                                     .Prop("SkipWhenNoRecords", &P::SkipWhenNoRecords, &P::SetSkipWhenNoRecords)
                                     .Default(1)
                                     .Prop("UserName", &P::GetUserName, &P::SetUserName)
                                     .Prop("Visible", &P::Visible, &P::SetVisible)
                                     .Default(1)
                                     .Event("AfterClose", &P::AfterClose)
                                     .Event("AfterOpen", &P::AfterOpen)
                                     .Event("BeforeClose", &P::BeforeClose)
                                     .Event("BeforeOpen", &P::BeforeOpen)
                                     .Event("OnDataChange", &P::OnDataChange)
                                     .Event("OnFirst", &P::OnFirst)
                                     .Event("OnGotoBookmark", &P::OnGotoBookmark)
                                     .Event("OnLast", &P::OnLast)
                                     .Event("OnMasterRecordPositionChange", &P::OnMasterRecordPositionChange)
                                     .Event("OnNext", &P::OnNext)
                                     .Event("OnPrior", &P::OnPrior)
                                     .Event("OnRecordPositionChange", &P::OnRecordPositionChange)
                                     .Event("OnTraversal", &P::OnTraversal);
  return Info;
}

TppDataPipeline::TppDataPipeline(TComponent* AOwner) : TppRelative(AOwner) {
  EventMask().Include(ciPipelineRecordPositionChange);
}

TppDataPipeline::~TppDataPipeline() { BeforeDestruction(); }

void TppDataPipeline::Destroying() {
  // The bookmarks go back to the class that made them while it is still whole.
  ClearBookmarkList();
  SetCurrentRecordBookmark(0);
  FDetailPipelines.clear();
  FLinkRangeIndex.reset();
  TppRelative::Destroying();
}

// ---- opening

void TppDataPipeline::Open() {
  DoBeforeOpen();
  OpenData();
  UpdateState();
  DoAfterOpen();
}

void TppDataPipeline::Close() {
  DoBeforeClose();
  CloseData();
  FState = 0;
  DoOnDataChange();
  DoAfterClose();
}

void TppDataPipeline::DoAfterClose() {
  if (AfterClose) AfterClose(this);
  SendEventNotify(this, ciPipelineAfterClose, nullptr);
}

void TppDataPipeline::DoAfterOpen() {
  if (AfterOpen) AfterOpen(this);
  SendEventNotify(this, ciPipelineAfterOpen, nullptr);
}

void TppDataPipeline::DoBeforeClose() {
  if (BeforeClose) BeforeClose(this);
  SendEventNotify(this, ciPipelineBeforeClose, nullptr);
}

void TppDataPipeline::DoBeforeOpen() {
  if (BeforeOpen) BeforeOpen(this);
  SendEventNotify(this, ciPipelineBeforeOpen, nullptr);
}

// ---- state and notices

void TppDataPipeline::UpdateState() {
  FState = 0;
  if (HasState(csDestroying) || !GetActive()) return;
  const bool Bof = GetBOF();
  const bool Eof = GetEOF();
  if (Bof && Eof)
    FState = ppdsNoRecords;
  else
    FState = (Bof ? ppdsFirstRecord : 0) | (Eof ? ppdsLastRecord : 0);
}

void TppDataPipeline::SetRecordNo(int Value) {
  if (IsLinked() && LastRecord()) return;
  FRecordNo = Value;
}

void TppDataPipeline::SetSkipWhenNoRecords(bool Value) {
  FSkipWhenNoRecords = Value;
  DoOnDataChange();
}

void TppDataPipeline::DoOnDataChange() {
  if (HasState(csReading) || HasState(csLoading) || HasState(csDestroying) || FreeingChildren() || FMoving ||
      DataChangesSuppressed())
    return;
  UpdateState();
  SendNotify(this, ppopDataChange);
  SendEventNotify(this, ciPipelineDataChange, nullptr);
  if (OnDataChange) OnDataChange(this);
}

void TppDataPipeline::DoOnTraversal() {
  if (OnTraversal) OnTraversal(this);
  SendEventNotify(this, ciPipelineTraversal, nullptr);
}

void TppDataPipeline::DoOnRecordPositionChange() {
  if (!FLinksReady && IsLinked()) return;
  if (OnRecordPositionChange) OnRecordPositionChange(this);
  SendEventNotify(this, ciPipelineRecordPositionChange, nullptr);
}

void TppDataPipeline::DoOnMasterRecordPositionChange() {
  if (OnMasterRecordPositionChange) OnMasterRecordPositionChange(this);
  SendEventNotify(this, ciPipelineMasterRecordPositionChange, nullptr);
}

void TppDataPipeline::GotoFirstRecord() { DoOnRecordPositionChange(); }

void TppDataPipeline::GotoLastRecord() { DoOnRecordPositionChange(); }

// ---- bookmarks

bool TppDataPipeline::GotoBookmark(TppBookmark Bookmark) {
  if (!IsBookmarkValid(Bookmark)) return false;
  if (OnGotoBookmark) OnGotoBookmark(this, Bookmark);
  SendEventNotify(this, ciPipelineGotoBookmark, nullptr);
  DoOnRecordPositionChange();
  return true;
}

int TppDataPipeline::CompareBookmarks(TppBookmark A, TppBookmark B) { return A < B ? -1 : (A > B ? 1 : 0); }

void TppDataPipeline::SetBookmarkList(std::vector<TppBookmark> Bookmarks) {
  for (TppBookmark B : Bookmarks)
    if (!IsBookmarkValid(B)) throw EDataError(ppErrorText(ClassName(), "SetBookmarkList", SppInvalidBookmark));
  ClearBookmarkList();
  FBookmarkList = std::move(Bookmarks);
}

void TppDataPipeline::ClearBookmarkList() {
  std::vector<TppBookmark> Old;
  Old.swap(FBookmarkList);
  for (TppBookmark B : Old)
    if (B != FCurrentRecordBookmark) FreeBookmark(B);
}

void TppDataPipeline::SetCurrentRecordBookmark(TppBookmark Value) {
  if (Value == FCurrentRecordBookmark) return;
  if (Value != 0 && !IsBookmarkValid(Value))
    throw EDataError(ppErrorText(ClassName(), "SetCurrentRecordBookmark", SppInvalidBookmark));
  const TppBookmark Old = FCurrentRecordBookmark;
  FCurrentRecordBookmark = Value;
  if (Old != 0 && std::find(FBookmarkList.begin(), FBookmarkList.end(), Old) == FBookmarkList.end())
    FreeBookmark(Old);
}

void TppDataPipeline::GotoListBookmark(size_t Index, const char* Operation) {
  // A list entry that no longer names a record (its data was closed and opened again) cannot be
  // stood on: the traversal stops here instead of repeating the record it is on.
  if (!GotoBookmark(FBookmarkList[Index])) throw EDataError(ppErrorText(ClassName(), Operation, SppInvalidBookmark));
}

bool TppDataPipeline::CompareWithCurrentRecordBookmark(int& Result) {
  if (!IsBookmarkValid(FCurrentRecordBookmark)) return false;
  const TppBookmark Here = GetBookmark();
  TFinally Free([&] { FreeBookmark(Here); });
  Result = CompareBookmarks(Here, FCurrentRecordBookmark);
  return true;
}

// ---- moving

void TppDataPipeline::MoveBy(int Count) {
  FMoving = true;
  TFinally Notices([this] {
    FMoving = false;
    DoOnDataChange();
    DoOnRecordPositionChange();
  });
  if (Count == 0 && FRecordNo == 0) GotoFirstRecord();
  const int Moved = std::abs(MoveDataBy(Count));
  const bool Forward = (Count > 0 && FMoveBy >= 0) || (Count <= 0 && FMoveBy < 0);
  FRecordNo += Forward ? Moved : -Moved;
}

bool TppDataPipeline::StepForward() {
  if (!FBookmarkList.empty()) {
    // Bounded by the list: each step takes the next bookmark.
    if (static_cast<size_t>(FTraversalCount) >= FBookmarkList.size()) return false;
    ++FTraversalCount;
    ++FRecordNo;
    if (static_cast<size_t>(FTraversalCount) < FBookmarkList.size())
      GotoListBookmark(static_cast<size_t>(FTraversalCount), "Next");
    return true;
  }
  if (IsLinked()) return LinkedMoveBy(FMoveBy) != 0;
  const int Before = FRecordNo;
  MoveBy(FMoveBy);
  return FRecordNo != Before;
}

bool TppDataPipeline::StepBackward() {
  if (!FBookmarkList.empty()) {
    if (FTraversalCount <= 0) return false;
    --FTraversalCount;
    --FRecordNo;
    GotoListBookmark(static_cast<size_t>(FTraversalCount), "Prior");
    return true;
  }
  if (IsLinked()) return LinkedMoveBy(-FMoveBy) != 0;
  const int Before = FRecordNo;
  MoveBy(-FMoveBy);
  return FRecordNo != Before;
}

// Skipping stops where the data stops moving too, so a range whose end lies behind the
// direction of travel cannot keep it turning.
void TppDataPipeline::SkipForward() {
  while (!DetailsHaveRecords() && !GetEOF()) {
    const bool Moved = StepForward();
    UpdateState();
    FDataTraversed = true;
    if (!Moved) break;
  }
}

void TppDataPipeline::SkipBackward() {
  while (!DetailsHaveRecords() && !GetBOF()) {
    const bool Moved = StepBackward();
    UpdateState();
    FDataTraversed = true;
    if (!Moved) break;
  }
}

void TppDataPipeline::First() {
  FDataTraversed = false;
  FTraversalCount = 0;
  if (!IsLinked()) FRecordNo = 0;
  if (NoRecords()) return;
  if (!FBookmarkList.empty()) {
    GotoListBookmark(0, "First");
  } else {
    switch (FRangeBegin) {
      case rbFirstRecord:
        IsLinked() ? LinkedFirst() : GotoFirstRecord();
        SkipForward();
        break;
      case rbLastRecord:
        IsLinked() ? LinkedLast() : GotoLastRecord();
        SkipBackward();
        break;
      case rbCurrentRecord:
        if (FCurrentRecordBookmark != 0) GotoBookmark(FCurrentRecordBookmark);
        break;
    }
  }
  if (!IsLinked()) {
    if (GetEOF()) {
      IncludeState(ppdsNoRecords);
    } else {
      UpdateState();
      IncludeState(ppdsFirstRecord);
    }
  } else if (!NoRecords()) {
    IncludeState(DetailsHaveRecords() ? ppdsFirstRecord : ppdsNoRecords);
  }
  if (OnFirst) OnFirst(this);
  SendEventNotify(this, ciPipelineFirst, nullptr);
}

void TppDataPipeline::Last() {
  if (!IsLinked() && FRecordCount > 0) FRecordNo = FRecordCount;
  if (NoRecords()) return;
  if (!FBookmarkList.empty()) {
    GotoListBookmark(FBookmarkList.size() - 1, "Last");
  } else {
    switch (FRangeEnd) {
      case reFirstRecord:
        IsLinked() ? LinkedFirst() : GotoFirstRecord();
        SkipForward();
        break;
      case reLastRecord:
        IsLinked() ? LinkedLast() : GotoLastRecord();
        SkipBackward();
        break;
      case reCurrentRecord:
        if (FCurrentRecordBookmark != 0) GotoBookmark(FCurrentRecordBookmark);
        break;
      case reCount:
        First();
        while (FTraversalCount < FRangeEndCount && !GetEOF()) Next();
        break;
    }
  }
  UpdateState();
  IncludeState(ppdsLastRecord);
  if (OnLast) OnLast(this);
  SendEventNotify(this, ciPipelineLast, nullptr);
}

void TppDataPipeline::Next() {
  if (!FBookmarkList.empty()) {
    ++FTraversalCount;
    ++FRecordNo;
    if (static_cast<size_t>(FTraversalCount) < FBookmarkList.size())
      GotoListBookmark(static_cast<size_t>(FTraversalCount), "Next");
    FDataTraversed = true;
  } else {
    if (!GetEOF() && !BothCurrentRecordRules()) IsLinked() ? (void)LinkedMoveBy(FMoveBy) : MoveBy(FMoveBy);
    FDataTraversed = true;
    ++FTraversalCount;
  }
  SkipForward();
  UpdateState();
  if (OnNext) OnNext(this);
  SendEventNotify(this, ciPipelineNext, nullptr);
}

void TppDataPipeline::Prior() {
  if (!FBookmarkList.empty()) {
    if (FTraversalCount > 0) {
      --FRecordNo;
      GotoListBookmark(static_cast<size_t>(FTraversalCount - 1), "Prior");
      --FTraversalCount;
    }
  } else {
    if (!GetBOF() && !BothCurrentRecordRules()) IsLinked() ? (void)LinkedMoveBy(-FMoveBy) : MoveBy(-FMoveBy);
    --FTraversalCount;
  }
  SkipBackward();
  UpdateState();
  if (OnPrior) OnPrior(this);
  SendEventNotify(this, ciPipelinePrior, nullptr);
}

// ---- the ends of the range

bool TppDataPipeline::LinkedBOF() {
  if (FMasterDataPipeline && FMasterDataPipeline->NoRecords()) return true;
  int Start;
  if (FLinkRangeIndex && FMasterDataPipeline && FLinkRangeIndex->GetRangeStart(FMasterDataPipeline->RecordNo(), Start))
    return IsDataBOF() || FNoLinkedRecords || FRecordNo < Start;
  return IsDataBOF() || FNoLinkedRecords || CompareLinkValues() < 0;
}

bool TppDataPipeline::LinkedEOF() {
  if (FMasterDataPipeline && FMasterDataPipeline->NoRecords()) return true;
  int End;
  if (FLinkRangeIndex && FMasterDataPipeline && FLinkRangeIndex->GetRangeEnd(FMasterDataPipeline->RecordNo(), End))
    return IsDataEOF() || FNoLinkedRecords || FRecordNo > End;
  return IsDataEOF() || FNoLinkedRecords || CompareLinkValues() > 0;
}

bool TppDataPipeline::GetBOF() {
  if (!FBookmarkList.empty()) return FTraversalCount == 0;
  if (IsLinked()) {
    if (FNoLinkedRecords) return true;
    switch (FRangeBegin) {
      case rbFirstRecord: return LinkedBOF();
      case rbLastRecord: return LinkedEOF();
      case rbCurrentRecord: return !FDataTraversed;
    }
    return false;
  }
  switch (FRangeBegin) {
    case rbFirstRecord: return IsDataBOF();
    case rbLastRecord: return IsDataEOF();
    case rbCurrentRecord: {
      if (FDataTraversed) return false;
      if (FRangeEnd == reCurrentRecord || IsDataBOF()) return true;
      int Order;
      if (!CompareWithCurrentRecordBookmark(Order)) return false;
      return FMoveBy <= 0 ? Order >= 0 : Order <= 0;
    }
  }
  return false;
}

bool TppDataPipeline::GetEOF() {
  bool Eof = false;
  if (!FBookmarkList.empty()) {
    Eof = static_cast<size_t>(FTraversalCount) >= FBookmarkList.size();
  } else if (IsLinked()) {
    if (FNoLinkedRecords) return true;
    switch (FRangeEnd) {
      case reFirstRecord: return LinkedBOF();
      case reLastRecord: return LinkedEOF();
      case reCurrentRecord: return FTraversalCount == 1;
      case reCount:
        return FTraversalCount >= FRangeEndCount || (FMoveBy > 0 && LinkedEOF()) || (FMoveBy < 0 && LinkedBOF());
    }
    return false;
  } else {
    switch (FRangeEnd) {
      case reFirstRecord: Eof = IsDataBOF(); break;
      case reLastRecord: Eof = IsDataEOF(); break;
      case reCurrentRecord:
        Eof = (IsDataBOF() && IsDataEOF()) || FDataTraversed;
        if (FDataTraversed && FRangeBegin != rbCurrentRecord && !IsDataEOF()) {
          int Order;
          if (CompareWithCurrentRecordBookmark(Order)) Eof = FMoveBy <= 0 ? Order < 0 : Order > 0;
        }
        break;
      case reCount:
        Eof = FTraversalCount >= FRangeEndCount || (FMoveBy > 0 && IsDataEOF()) || (FMoveBy < 0 && IsDataBOF());
        break;
    }
  }
  if (Eof && !IsLinked() && FRecordCount == -1) FRecordCount = FRecordNo;
  return Eof;
}

// ---- details

bool TppDataPipeline::DetailsHaveRecords() {
  if (FDetailPipelines.empty() || !FSkipEmptyDetails) return true;
  for (TppDataPipeline* D : FDetailPipelines)
    if (!D->NoRecords() && !(D->IsLinked() && D->CompareLinkValues() != 0)) return true;
  return false;
}

void TppDataPipeline::BuildDetailList(const std::vector<TppDataPipeline*>& Pipelines) {
  FDetailPipelines.clear();
  for (TppDataPipeline* P : Pipelines)
    if (P && P != this && P->FMasterDataPipeline == this &&
        std::find(FDetailPipelines.begin(), FDetailPipelines.end(), P) == FDetailPipelines.end()) {
      AddNotify(P);
      FDetailPipelines.push_back(P);
    }
}

void TppDataPipeline::InitializeTraversal(const std::vector<TppDataPipeline*>& Pipelines) {
  FLinksReady = false;
  {
    TFinally Ready([this] { FLinksReady = true; });
    if (IsLinked()) {
      if (GetActive()) GotoFirstRecord();
      FRecordNo = 0;
      FNoLinkedRecords = false;
      FMasterLinkValues.assign(static_cast<size_t>(GetLinkCount()), Variant());
      FDetailLinkValues.assign(static_cast<size_t>(GetLinkCount()), Variant());
      EnsureLinkRangeIndex().Clear();
    }
  }
  FDataTraversed = false;
  FRecordCount = -1;
  FSkipEmptyDetails = false;
  BuildDetailList(Pipelines);
  for (TppDataPipeline* D : FDetailPipelines)
    if (!D->SkipWhenNoRecords()) {
      FDetailPipelines.clear();  // one detail that wants its empty masters shows them all
      break;
    }
  FSkipEmptyDetails = !FDetailPipelines.empty();
}

TppLinkRangeIndex& TppDataPipeline::EnsureLinkRangeIndex() {
  if (!FLinkRangeIndex) FLinkRangeIndex = std::make_unique<TppLinkRangeIndex>();
  return *FLinkRangeIndex;
}

// ---- master

void TppDataPipeline::SetMasterDataPipeline(TppDataPipeline* Value) {
  if (Value == this) return;
  for (const TppDataPipeline* P = Value; P; P = P->FMasterDataPipeline)
    if (P == this) return;
  if (FMasterDataPipeline != Value) FreeLinks();
  if (FMasterDataPipeline) FMasterDataPipeline->RemoveEventNotify(this);
  FMasterDataPipeline = Value;
  if (Value) Value->AddEventNotify(this);
}

bool TppDataPipeline::IsDetailOf(const TppDataPipeline* Pipeline) const {
  if (!Pipeline) return false;
  for (const TppDataPipeline* P = FMasterDataPipeline; P; P = P->FMasterDataPipeline)
    if (P == Pipeline) return true;
  return false;
}

void TppDataPipeline::ResolveMasterDataPipeline(const TppDataPipelineList& List) {
  if (FMasterDataPipeline || FMasterDataPipelineName.empty()) return;
  SetMasterDataPipeline(List.GetDataPipelineForName(FMasterDataPipelineName));
}

void TppDataPipeline::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove) {
    if (Partner == FMasterDataPipeline) {
      FMasterDataPipeline = nullptr;
      if (!HasState(csDestroying)) FreeLinks();
    }
    std::erase(FDetailPipelines, Partner);
  }
  TppRelative::Notify(Partner, Operation);
}

void TppDataPipeline::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppRelative::EventNotify(Sender, EventID, Params);
  if (EventID == ciPipelineRecordPositionChange && Sender == FMasterDataPipeline && Sender)
    DoOnMasterRecordPositionChange();
}

// ---- fields by name

int TppDataPipeline::IndexOfFieldName(const std::string& Name) {
  TStringList Names;
  if (!GetFieldNames(Names)) return -1;
  return Names.IndexOf(Name);
}

Variant TppDataPipeline::GetFieldValues(const std::string& Name) {
  const std::string FieldName = GetFieldNameForAlias(Name);
  Variant V = GetFieldValue(FieldName);
  if (!V.IsEmpty() && !V.IsNull()) return V;
  switch (GetFieldDataType(FieldName)) {
    case dtBoolean: return Variant(false);
    case dtDate:
    case dtTime:
    case dtDateTime:
    case dtInteger:
    case dtSingle:
    case dtDouble:
    case dtExtended:
    case dtCurrency:
    case dtLongint: return Variant(0);
    case dtChar:
    case dtString:
    case dtMemo: return Variant(std::string());
    default: return V;
  }
}

// ---- names and streams

void TppDataPipeline::SetUserName(const std::string& Value) {
  TppRelative::SetUserName(Value);
  if ((HasState(csReading) || HasState(csLoading)) && GetUserName() != Value) FStoredUserName = Value;
}

void TppDataPipeline::ReadLegacyHandler(TReader& Reader, TNotifyEvent& Event) {
  const std::string Name = Reader.ReadIdent();
  std::any Code;
  if (TComponent* Root = Reader.Root())
    if (const TMethodInfo* M = Root->ClassInfo()->FindMethod(Name)) Code = M->Bind(Root);
  if (!Code.has_value() && Reader.OnFindMethod) {
    bool Error = true;
    Reader.OnFindMethod(Reader, Name, Code, Error);
    if (Error) Code.reset();
  }
  if (const auto* Fn = std::any_cast<std::function<void(TObject*)>>(&Code)) Event.SetMethod(Name, *Fn);
}

void TppDataPipeline::DefineProperties(TFiler* Filer) {
  TppRelative::DefineProperties(Filer);
  auto MasterName = [](const TPersistent* P) {
    const auto* D = dynamic_cast<const TppDataPipeline*>(P);
    return D && D->FMasterDataPipeline ? D->FMasterDataPipeline->Name() : std::string();
  };
  const bool HasData = Filer->Ancestor() ? MasterName(Filer->Ancestor()) != MasterName(this)
                                         : FMasterDataPipeline != nullptr;
  Filer->DefineProperty(
      "MasterDataPipelineName", [this](TReader& R) { FMasterDataPipelineName = R.ReadString(); },
      [this, MasterName](TWriter& W) { W.WriteString(MasterName(this)); }, HasData);
  // Older streams: the handlers of the events now called AfterClose and AfterOpen, and the master
  // as a reference (peeked into the master's name by ReadState, skipped here).
  Filer->DefineProperty(
      "OnClose", [this](TReader& R) { ReadLegacyHandler(R, AfterClose); }, [](TWriter&) {}, false);
  Filer->DefineProperty(
      "OnOpen", [this](TReader& R) { ReadLegacyHandler(R, AfterOpen); }, [](TWriter&) {}, false);
  Filer->DefineProperty(
      "MasterDataPipeline", [](TReader& R) { R.SkipValue(); }, [](TWriter&) {}, false);
}

void TppDataPipeline::ReadState(TReader& Reader) {
  const std::string Legacy = TppHReaderUtils::PeekIdentProperty(Reader, "MasterDataPipeline");
  if (!Legacy.empty()) FMasterDataPipelineName = Legacy;
  TppRelative::ReadState(Reader);
}
