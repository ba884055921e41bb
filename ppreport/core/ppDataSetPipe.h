#pragma once
// TppDataSetPipeline: a data pipeline over one of the platform's data sets (a SQLite table or
// query, an in-memory data set): record access, bookmarks and master/detail links.
//
// Fields: the pipeline's TppField children describe the data set's fields; when it has none
// when it opens, it makes one per field of the data set (alias: the field's display label).
// Links: a linked detail's data set is sorted by its link fields, in each link's order and
// collation; the detail range of a master record is then found by binary search and kept in the
// link range index. The detail follows its master: every move of the master puts the detail on
// the first record of the new master's range (or marks it empty), so the master's skipping of
// records without details sees the details of the record it stands on.
#include <memory>
#include <unordered_map>

#include "platform/data/DB.h"
#include "ppreport/core/ppDB.h"

class TppDataSetPipeline : public TppDataPipeline {
  DECLARE_CLASSINFO(TppDataSetPipeline)
public:
  explicit TppDataSetPipeline(TComponent* AOwner);
  ~TppDataSetPipeline() override;

  TDataSet* DataSet() const { return FDataSet; }
  // A new data set drops the fields of the old one.
  void SetDataSet(TDataSet* Value);

  // ---- TppDataPipeline
  bool IsDataBOF() const override;
  bool IsDataEOF() const override;
  // Opens the data set when it is closed (and closes it again in CloseData, but only then).
  void OpenData() override;
  void CloseData() override;
  bool GetActive() const override;
  void GotoFirstRecord() override;
  void GotoLastRecord() override;
  int MoveDataBy(int Count) override;
  TppField* GetCurrentField() const override { return nullptr; }
  bool DataChangesSuppressed() const override;
  int GetFieldCount() const override;
  TppField* GetFieldAt(int Index) const override;
  int GetLinkCount() const override;
  TppMasterFieldLink* GetLinkAt(int Index) const override;
  TppBookmark GetBookmark() override;
  void FreeBookmark(TppBookmark Bookmark) override;
  bool IsBookmarkValid(TppBookmark Bookmark) const override;
  bool GotoBookmark(TppBookmark Bookmark) override;
  // Record order for bookmarks of this pipeline; the base order otherwise.
  int CompareBookmarks(TppBookmark A, TppBookmark B) override;
  // Field values: empty while the data set is closed, and while a linked detail has no records
  // for its master; EDataError for a name the open data set does not have.
  bool IsFieldNull(const std::string& FieldName) override;
  bool GetFieldNames(TStrings& List) override;
  double GetFieldAsDouble(const std::string& FieldName) override;
  TPicture* GetFieldAsPicture(const std::string& FieldName) override;
  std::string GetFieldAsString(const std::string& FieldName) override;
  TppDataType GetFieldDataType(const std::string& FieldName) override;
  Variant GetFieldValue(const std::string& FieldName) override;
  void GetFieldAsStream(const std::string& FieldName, TStream& Stream) override;
  // The first record whose field reads as Value (its text), from the first record on; the
  // position stays where it was when none does.
  bool Locate(const std::string& FieldName, const Variant& Value, TLocateOptions Options) override;
  std::string GetFieldAlias(const std::string& FieldName) override;
  std::string GetFieldNameForAlias(const std::string& Alias) override;
  TppField* GetFieldForName(const std::string& FieldName) override;
  bool IsDataTypeSupported(TppDataType DataType) const override;
  // Makes Master this pipeline's master when it is not (null when that is refused) and adds the
  // link of the two fields (aliases resolved to field names).
  TppMasterFieldLink* AddLink(TppDataPipeline* Master, const std::string& MasterFieldAlias,
                              const std::string& DetailFieldAlias) override;
  bool IsLinked() const override;
  void FreeLinks() override;
  int CompareLinkValues() override;
  void LinkedFirst() override;
  void LinkedLast() override;
  int LinkedMoveBy(int Count) override;
  bool IsDataAvailable() const override;
  void DoOnMasterRecordPositionChange() override;
  // The data set's opening and record, with the fields' state: values read on one record of one
  // opening stay what they are (the platform's data sets are read-only).
  bool GetRecordKey(TRecordKey& Key) const override;
  void FieldChanged() override;
  void InsertChild(int Index, TppRelative* Child) override;
  void RemoveChild(TppRelative* Child) override;

  // The pipeline's data type of a field type of the platform.
  static TppDataType DataTypeOf(TFieldType Type);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  // The fields and links among the children, and the fields by name (ASCII case ignored, the
  // first of a name wins): made when first asked after the children or a field changed.
  struct TChildIndex;
  const TChildIndex& Children() const;
  void ChildrenChanged();
  TField* DataField(const std::string& FieldName, const char* Operation) const;
  // Whether the cursor stands on a record of this pipeline's range.
  bool OnRecord() const;
  // The field on the current record; null when there is none to read.
  TField* RecordField(const std::string& FieldName, const char* Operation) const;
  void CreateFields();
  void FreeFields();
  // The record at 0-based Index of the open data set; false when there is none.
  bool GotoRecordIndex(int64_t Index);
  int64_t RecordIndex() const;
  // Finds the current master's detail range: true with its bounds, false when it is empty (the
  // cursor then stands where the range would begin).
  bool FindLinkedRange(int& Start, int& End);

  TDataSet* FDataSet = nullptr;
  bool FOpenedDataSet = false;
  std::unordered_map<TppBookmark, TBookmark> FBookmarks;
  TppBookmark FLastBookmark = 0;
  std::unique_ptr<TPicture> FPicture;
  mutable std::unique_ptr<TChildIndex> FChildIndex;
  uint64_t FFieldsVersion = 0;
};
