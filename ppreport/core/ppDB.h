#pragma once
// Data pipelines: the pp library's data source. The engine, groups and data-aware components
// read records only through a TppDataPipeline. The base class holds what does not depend on
// where the data lives: traversal of a record range in steps of MoveBy, the begin and end rules
// of the range, bookmark lists, the first/last/no-records state, master/detail linking with the
// skipping of master records whose details are empty, and the notices and events. Record access
// is left to a descending class (TppDataSetPipeline, ppDataSetPipe.h, over the platform's data
// sets).
//
// Bookmarks are opaque handles (TppBookmark, 0 for none) that a pipeline hands out and checks:
// a handle it did not make, one it freed, or one of an earlier opening of its data is refused
// (GotoBookmark answers false, a bookmark list holding one is refused), never dereferenced.
//
// The companions: TppField (one field, a tree child of its pipeline), TppMasterFieldLink (one
// master/detail field pair), TppLinkRangeIndex (where a detail's range lies for each master
// record) and TppDataPipelineList (the pipelines a report reaches, by name).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/classes/StringList.h"
#include "platform/rtl/Variants.h"
#include "ppreport/core/ppFieldSettings.h"
#include "ppreport/core/ppRelatv.h"
#include "ppreport/core/ppTypes.h"

class TPicture;
class TStream;
class TppField;
class TppMasterFieldLink;
class TppLinkRangeIndex;
class TppDataPipelineList;

using TppBookmark = uint64_t;
using TppBookmarkEvent = TEvent<void(TObject* Sender, TppBookmark Bookmark)>;

// How Locate compares (the class library's locate options), as bits.
enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = uint8_t;

// The state bits of a pipeline.
constexpr int ppdsFirstRecord = 1;
constexpr int ppdsLastRecord = 2;
constexpr int ppdsNoRecords = 4;

class TppDataPipeline : public TppRelative {
  DECLARE_CLASSINFO(TppDataPipeline)
public:
  explicit TppDataPipeline(TComponent* AOwner);
  ~TppDataPipeline() override;

  // ---- opening and traversal
  // DoBeforeOpen, OpenData, UpdateState, DoAfterOpen.
  void Open();
  // DoBeforeClose, CloseData, state cleared, DoOnDataChange, DoAfterClose.
  void Close();
  void First();
  void Next();
  void Prior();
  void Last();
  // Moves the data by Count (at least the first record for 0 at RecordNo 0); RecordNo follows in
  // the traversal direction. The notices go out even when the move raises.
  void MoveBy(int Count);
  // The begin and end of the range (see the rules in ppDB.cpp). GetEOF also fixes RecordCount
  // the first time it answers true.
  bool GetBOF();
  bool GetEOF();
  void UpdateState();
  int State() const { return FState; }
  void IncludeState(int Bits) { FState |= Bits; }
  void ExcludeState(int Bits) { FState &= ~Bits; }
  bool FirstRecord() const { return (FState & ppdsFirstRecord) != 0; }
  bool LastRecord() const { return (FState & ppdsLastRecord) != 0; }
  bool NoRecords() const { return (FState & ppdsNoRecords) != 0; }
  // Before each traversal: links set up, the details of this pipeline among Pipelines collected.
  virtual void InitializeTraversal(const std::vector<TppDataPipeline*>& Pipelines);
  // Whether the current record has details to show (always, without skipping).
  bool DetailsHaveRecords();
  // The engine counted a record: OnTraversal and ciPipelineTraversal.
  void DoOnTraversal();
  // UpdateState, the data-change notice, ciPipelineDataChange and OnDataChange; nothing while
  // reading, loading, destroying, moving or while the data's changes are suppressed.
  void DoOnDataChange();

  // ---- settings (published)
  int GetMoveBy() const { return FMoveBy; }
  void SetMoveBy(int Value) { FMoveBy = Value; }
  TppRangeBeginType RangeBegin() const { return FRangeBegin; }
  void SetRangeBegin(TppRangeBeginType Value) { FRangeBegin = Value; }
  TppRangeEndType RangeEnd() const { return FRangeEnd; }
  void SetRangeEnd(TppRangeEndType Value) { FRangeEnd = Value; }
  int RangeEndCount() const { return FRangeEndCount; }
  void SetRangeEndCount(int Value) { FRangeEndCount = Value; }
  bool SkipWhenNoRecords() const { return FSkipWhenNoRecords; }
  void SetSkipWhenNoRecords(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }

  // ---- traversal state
  bool DataTraversed() const { return FDataTraversed; }
  int TraversalCount() const { return FTraversalCount; }
  // The engine puts a saved position back.
  void SetTraversalCount(int Value) { FTraversalCount = Value; }
  int RecordNo() const { return FRecordNo; }
  // Refused for a linked pipeline standing on its last record.
  void SetRecordNo(int Value);
  int RecordCount() const { return FRecordCount; }
  bool Moving() const { return FMoving; }
  bool LinksReady() const { return FLinksReady; }
  bool NoLinkedRecords() const { return FNoLinkedRecords; }
  bool SkipEmptyDetails() const { return FSkipEmptyDetails; }
  const std::vector<TppDataPipeline*>& DetailPipelines() const { return FDetailPipelines; }

  // ---- bookmarks
  // The list traversal visits instead of the range, in order. Every entry must be a valid
  // bookmark of this pipeline (EDataError, the old list kept); the pipeline frees them.
  void SetBookmarkList(std::vector<TppBookmark> Bookmarks);
  void ClearBookmarkList();
  const std::vector<TppBookmark>& BookmarkList() const { return FBookmarkList; }
  TppBookmark CurrentRecordBookmark() const { return FCurrentRecordBookmark; }
  // 0 or a valid bookmark (EDataError otherwise); the pipeline frees the previous one.
  void SetCurrentRecordBookmark(TppBookmark Value);

  // ---- master and details
  TppDataPipeline* MasterDataPipeline() const { return FMasterDataPipeline; }
  // Ignores this pipeline and any pipeline whose master chain contains it.
  void SetMasterDataPipeline(TppDataPipeline* Value);
  const std::string& MasterDataPipelineName() const { return FMasterDataPipelineName; }
  bool IsDetailOf(const TppDataPipeline* Pipeline) const;
  // After loading: the master named in the stream, found in List.
  void ResolveMasterDataPipeline(const TppDataPipelineList& List);
  std::vector<Variant>& MasterLinkValues() { return FMasterLinkValues; }
  std::vector<Variant>& DetailLinkValues() { return FDetailLinkValues; }
  TppLinkRangeIndex* LinkRangeIndex() const { return FLinkRangeIndex.get(); }

  // ---- fields by name
  // What the fields read now: two equal keys (both answered true) give equal values and data
  // types. False when the pipeline cannot tell; a reader then asks for the value every time.
  struct TRecordKey {
    uint64_t Data = 0;    // the data set's opening
    int64_t Record = -1;  // its record
    uint64_t Fields = 0;  // the pipeline's field list and settings
    bool operator==(const TRecordKey&) const = default;
  };
  virtual bool GetRecordKey(TRecordKey& /*Key*/) const { return false; }
  // A field of this pipeline changed its name or settings (TppField says so).
  virtual void FieldChanged() {}
  // Index in the names GetFieldNames gives, -1 when absent.
  int IndexOfFieldName(const std::string& Name);
  TppField* GetFieldObjects(const std::string& Name) { return GetFieldForName(Name); }
  // The value of the field of that alias; empty or null become the type's empty value.
  Variant GetFieldValues(const std::string& Name);
  // The user name asked for while loading when another was given (a clash).
  const std::string& StoredUserName() const { return FStoredUserName; }

  // ---- record access (descending classes)
  virtual void BuildDetailList(const std::vector<TppDataPipeline*>& Pipelines);
  virtual bool IsDataBOF() const = 0;  // the cursor's begin and end marks
  virtual bool IsDataEOF() const = 0;
  virtual void CloseData() = 0;
  virtual bool GetActive() const = 0;
  virtual void DoAfterClose();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoBeforeOpen();
  // Position the data, then call these (the notice of the new position).
  virtual void GotoFirstRecord();
  virtual void GotoLastRecord();
  virtual void OpenData() = 0;
  // Moves the cursor; answers the records actually moved.
  virtual int MoveDataBy(int Count) = 0;
  virtual TppField* GetCurrentField() const = 0;
  virtual bool DataChangesSuppressed() const = 0;
  virtual int GetFieldCount() const = 0;
  virtual TppField* GetFieldAt(int Index) const = 0;  // EListError outside
  virtual int GetLinkCount() const = 0;
  virtual TppMasterFieldLink* GetLinkAt(int Index) const = 0;  // EListError outside
  virtual bool IsFieldNull(const std::string& FieldName) = 0;
  // OnRecordPositionChange and ciPipelineRecordPositionChange (not for a linked pipeline while
  // its links are being set up).
  virtual void DoOnRecordPositionChange();
  virtual void DoOnMasterRecordPositionChange();
  virtual void FreeBookmark(TppBookmark /*Bookmark*/) {}
  virtual TppBookmark GetBookmark() = 0;
  // A bookmark this pipeline made, not freed, of the data as it is open now.
  virtual bool IsBookmarkValid(TppBookmark Bookmark) const = 0;
  virtual bool GetFieldNames(TStrings& List) = 0;
  virtual double GetFieldAsDouble(const std::string& FieldName) = 0;
  // The pipeline keeps the picture (valid until the next call); null without one.
  virtual TPicture* GetFieldAsPicture(const std::string& FieldName) = 0;
  virtual std::string GetFieldAsString(const std::string& FieldName) = 0;
  virtual TppDataType GetFieldDataType(const std::string& FieldName) = 0;
  virtual Variant GetFieldValue(const std::string& FieldName) = 0;
  // An invalid bookmark is refused (false): nothing moves, nothing is announced. The base
  // announces the move (OnGotoBookmark, ciPipelineGotoBookmark, the position notice).
  virtual bool GotoBookmark(TppBookmark Bookmark);
  // -1, 0 or 1; the base compares the handles.
  virtual int CompareBookmarks(TppBookmark A, TppBookmark B);
  virtual void Edit() {}
  virtual void GetFieldAsStream(const std::string& /*FieldName*/, TStream& /*Stream*/) {}
  virtual void Insert() {}
  virtual void Post() {}
  virtual void SetFieldFromStream(const std::string& /*FieldName*/, TStream& /*Stream*/) {}
  virtual void SetFieldValue(const std::string& /*FieldName*/, const Variant& /*Value*/) {}
  virtual bool Locate(const std::string& /*FieldName*/, const Variant& /*Value*/, TLocateOptions /*Options*/) {
    return false;
  }
  virtual std::string GetFieldAlias(const std::string& FieldName) = 0;
  virtual std::string GetFieldNameForAlias(const std::string& Alias) = 0;
  virtual TppField* GetFieldForName(const std::string& FieldName) = 0;
  virtual bool IsDataTypeSupported(TppDataType DataType) const = 0;
  virtual TppMasterFieldLink* AddLink(TppDataPipeline* Master, const std::string& MasterFieldAlias,
                                      const std::string& DetailFieldAlias) = 0;
  // A detail with links to its master.
  virtual bool IsLinked() const = 0;
  virtual void FreeLinks() = 0;
  // The current detail record against the master's: negative before its detail range, 0 inside,
  // positive after.
  virtual int CompareLinkValues() = 0;
  // Moves within the current master's detail range.
  virtual void LinkedFirst() = 0;
  virtual void LinkedLast() = 0;
  virtual int LinkedMoveBy(int Count) = 0;
  // The field query of the design surface: there is data to show.
  virtual bool IsDataAvailable() const = 0;

  // ---- events
  TNotifyEvent AfterClose, AfterOpen, BeforeClose, BeforeOpen, OnDataChange, OnFirst, OnLast,
      OnMasterRecordPositionChange, OnNext, OnPrior, OnRecordPositionChange, OnTraversal;
  TppBookmarkEvent OnGotoBookmark;

  // ---- the communicator and streams
  bool HasParent() const override { return false; }
  bool StoresDesignInfo() const override { return true; }
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void SetUserName(const std::string& Value) override;
  void DefineProperties(TFiler* Filer) override;
  void ReadState(TReader& Reader) override;

protected:
  void Destroying() override;
  // For descending classes' linked moves, which keep RecordNo on the data's own record number.
  void StoreRecordNo(int Value) { FRecordNo = Value; }
  void SetNoLinkedRecords(bool Value) { FNoLinkedRecords = Value; }
  TppLinkRangeIndex& EnsureLinkRangeIndex();

private:
  void GotoListBookmark(size_t Index, const char* Operation);
  // One step of skipping (no counting); false when nothing moved.
  bool StepForward();
  bool StepBackward();
  void SkipForward();
  void SkipBackward();
  bool LinkedBOF();
  bool LinkedEOF();
  bool BothCurrentRecordRules() const {
    return FRangeBegin == rbCurrentRecord && FRangeEnd == reCurrentRecord;
  }
  // CompareBookmarks of the current record with CurrentRecordBookmark, or 0 when that is not valid.
  bool CompareWithCurrentRecordBookmark(int& Result);
  void ReadLegacyHandler(TReader& Reader, TNotifyEvent& Event);

  std::vector<TppBookmark> FBookmarkList;
  TppBookmark FCurrentRecordBookmark = 0;
  int FRecordCount = -1;
  bool FDataTraversed = false;
  std::vector<TppDataPipeline*> FDetailPipelines;
  bool FSkipEmptyDetails = false;
  TppDataPipeline* FMasterDataPipeline = nullptr;
  std::string FMasterDataPipelineName;
  int FMoveBy = 1;
  TppRangeEndType FRangeEnd = reLastRecord;
  int FRangeEndCount = 0;
  TppRangeBeginType FRangeBegin = rbFirstRecord;
  bool FSkipWhenNoRecords = true;
  int FState = 0;
  int FTraversalCount = 0;
  bool FVisible = true;
  bool FNoLinkedRecords = false;
  bool FLinksReady = true;
  int FRecordNo = 0;
  std::vector<Variant> FMasterLinkValues;
  std::vector<Variant> FDetailLinkValues;
  std::unique_ptr<TppLinkRangeIndex> FLinkRangeIndex;
  bool FMoving = false;
  std::string FStoredUserName;
};

// One field of a pipeline (its tree child), with the settings the autosearch and query
// features use (ppFieldSettings.h).
class TppField : public TppRelative, public TppFieldSettings {
  DECLARE_CLASSINFO(TppField)
public:
  explicit TppField(TComponent* AOwner);
  ~TppField() override;

  // The alias follows while it equals the old name.
  virtual void SetFieldName(const std::string& Value);
  // EInvalidPropertyError when the pipeline does not support the type.
  void SetDataType(TppDataType Value);
  // True switches ShowAllValues off (and the reverse); neither reports a change.
  virtual void SetMandatory(bool Value) { StoreMandatory(Value); }
  virtual void SetSearchExpression(const std::string& Value);
  virtual void SetShowAllValues(bool Value) { StoreShowAllValues(Value); }

  // Every published setting equal (texts case-sensitively), Position included.
  virtual bool IsEqual(const TppField* Other) const;
  void Assign(const TPersistent* Source) override;

  // The parent when it is a pipeline.
  TppDataPipeline* GetDataPipeline() const;
  // The pipeline's reading of this field; without a pipeline 0, null, empty, true, empty.
  double GetAsDouble() const;
  TPicture* GetAsPicture() const;
  std::string GetAsString() const;
  bool GetIsNull() const;
  Variant GetValue() const;

  void DefineProperties(TFiler* Filer) override;
};

// One master/detail field pair of a linked detail (its tree child).
class TppMasterFieldLink : public TppRelative {
  DECLARE_CLASSINFO(TppMasterFieldLink)
public:
  using TppRelative::TppRelative;
  ~TppMasterFieldLink() override;

  std::string MasterFieldName;
  std::string DetailFieldName;
  TppSortOrderType DetailSortOrder = soAscending;
  bool IsCaseSensitive = false;
  TppCollationType CollationType = ctANSI;
  TppGuidCollationType GuidCollationType = gcString;
};

// Where a detail's range lies, by master record number: first and last record numbers of the
// detail, -1 for a bound not recorded.
class TppLinkRangeIndex {
public:
  struct TRange {
    int Start = -1;
    int End = -1;
  };
  void Clear();
  int Count() const { return static_cast<int>(FKeys.size()); }
  int IndexOfMasterRecNo(int RecNo) const;
  // The entry for the key, or null (valid until the index changes).
  TRange* FindRange(int RecNo);
  // Adds or replaces the entry of RecNo.
  void SetRange(int RecNo, int Start, int End);
  // True with the bound when the entry exists and the bound is recorded.
  bool GetRangeStart(int RecNo, int& Start) const;
  bool GetRangeEnd(int RecNo, int& End) const;

private:
  std::vector<int> FKeys;
  std::vector<TRange> FRanges;
  std::unordered_map<int, size_t> FIndex;
};

// What a pipeline list asks of the report it is made for (the report classes implement it).
class IppPipelineReport {
public:
  virtual ~IppPipelineReport() = default;
  // The pipelines of the report's own data module.
  virtual void GetDataModulePipelines(const std::function<void(TppDataPipeline*)>& Add) = 0;
};

// The pipelines a report can reach, each under its user name.
class TppDataPipelineList : public TStringList {
public:
  // Remembers Report and fills the list.
  explicit TppDataPipelineList(TComponent* Report);
  TComponent* Report() const { return FReport; }
  // The report's data-module pipelines, then those owned by the report's owner and, on the main
  // thread, those of every data module but that owner. Invisible pipelines are left out.
  void Refresh();
  // The first listed pipeline whose component name is Name (letter case ignored), or null.
  TppDataPipeline* GetDataPipelineForName(const std::string& Name) const;
  TppDataPipeline* GetDataPipeline(int Index) const;  // EListError outside
  // Adds Pipeline unless listed already or invisible.
  void AddPipeline(TppDataPipeline* Pipeline);

private:
  void AddOwnedBy(const TComponent* Owner);
  TComponent* FReport;
};
