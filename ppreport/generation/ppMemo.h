#pragma once
// Memos: multi-line text wrapped into the object's width that, stretching in a band that can grow,
// flows over as many pages as it needs. TppCustomMemo holds the lines and splits them over pages;
// TppMemo prints lines stored in the report; TppDBMemo takes them from a field of its pipeline or
// from its OnGetMemo handler and can leave out a value that repeats from record to record.
//
// Each page resumes at the byte after the last one printed (the wrapper's resume position); a
// line that fits on no page is cut to the room of an empty one, so no text is printed twice, lost
// or carried on over pages without end. Tab stops are kept as whole thousandths of a millimetre.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/generation/ppStrtch.h"

// One page of a memo's state in the page cache (16 bytes, little-endian; unused bytes 0).
#pragma pack(push, 1)
struct TppMemoCacheRecord {
  TppStretchableCacheRecord Stretchable;  // Reserved1: kept together, stalled; Reserved2[0]: the data memo's
  int32_t CharPosition;
};
// The data memo's: the memo's, then the repeated-value state.
struct TppDBMemoCacheRecord {
  TppMemoCacheRecord Memo;
  uint8_t PriorValueSame;
  uint8_t ResetOnCompute;
  uint8_t Reserved[2];
};
#pragma pack(pop)
static_assert(sizeof(TppMemoCacheRecord) == 16);
static_assert(sizeof(TppDBMemoCacheRecord) == 20);

class TppCustomMemo : public TppStretchable {
  DECLARE_CLASSINFO(TppCustomMemo)
public:
  explicit TppCustomMemo(TComponent* AOwner);
  ~TppCustomMemo() override;

  // ---- the text
  // The lines, refreshed first.
  virtual TStrings* GetLines();
  // Copies Value, then refreshes.
  virtual void SetLines(const TStrings* Value);
  // The text of the lines (CR LF after each), refreshed first.
  virtual TMemoryStream* GetMemoStream();
  virtual TStrings* GetPrintLines() { return &FPrintLines; }
  // Writes the lines into the memo stream.
  virtual void RefreshLines();
  // The stream's text with a terminating zero; null for an empty stream.
  virtual std::unique_ptr<char[]> GetMemoBuffer();
  // Refreshes the lines (a data memo reads its field): logically a read.
  std::string GetText() const override;
  void SetText(const std::string& Value) override;
  bool CanFullJustify() const override { return true; }

  // ---- settings
  bool CharWrap() const { return FCharWrap; }
  void SetCharWrap(bool Value);
  int32_t mmLeading() const { return FLeading; }
  void SetmmLeading(int32_t Value);
  // In Units.
  float GetLeading() const { return MMThousandthsToUnits(FLeading, Units(), ppVertical); }
  void SetLeading(float Value);
  // The tab stops in Units (the stored list while reading, loading or writing); edits of the list
  // handed out come back converted.
  TStrings* GetTabStopPositions();
  void SetTabStopPositions(const TStrings* Value);
  // As stored: whole thousandths of a millimetre.
  const TStringList& StoredTabStops() const { return FTabStopPositions; }
  // Stored texts written with a decimal point or comma become whole thousandths of a millimetre.
  void NormalizeTabStops();

  // ---- generation state
  // The byte of the text after the last one printed (0: from the start).
  int32_t CharPosition() const { return FCharPosition; }

  void GenerateContent() override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void Init() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;
  void ConvertFromVersion(int Version) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

protected:
  void FontChanged() override;
  void FillMemoRecord(TppMemoCacheRecord& Record) const;
  void TakeMemoRecord(const TppMemoCacheRecord& Record);
  TStringList& LinesList() { return FLines; }

private:
  void TabStopsEdited();
  // The first line of what is left, to be cut to the room of this page.
  void CutLine(const std::string& Text);

  TStringList FLines;
  TMemoryStream FMemoStream;
  TStringList FPrintLines;
  TStringList FTabStopPositions;     // thousandths of a millimetre
  TStringList FEditedTabStops;       // in Units, handed out
  bool FCharWrap = false;
  int32_t FLeading = 0;
  int32_t FCharPosition = 0;
  // The last page printed nothing of the text: this page's room is the most it will get.
  bool FStalled = false;
};

class TppMemo : public TppCustomMemo {
  DECLARE_CLASSINFO(TppMemo)
public:
  explicit TppMemo(TComponent* AOwner);
  ~TppMemo() override;
  void SetLines(const TStrings* Value) override;
  TStrings* Lines() { return GetLines(); }
};


class TppDBMemo : public TppCustomMemo {
  DECLARE_CLASSINFO(TppDBMemo)
public:
  explicit TppDBMemo(TComponent* AOwner);
  ~TppDBMemo() override;

  bool AutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool Value) { FAutoDisplay = Value; }
  bool SuppressRepeatedValues() const { return FSuppressRepeatedValues; }
  void SetSuppressRepeatedValues(bool Value);
  TppMemoEvent OnGetMemo;

  // The field's text, or what OnGetMemo (while printing) gives; nothing changes with neither.
  void RefreshLines() override;
  bool IsDataAware() const override { return true; }
  void SetDataField(const std::string& Value) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  bool NeedsResetOnInit() const override { return FSuppressRepeatedValues; }
  void Init() override;
  void Reset() override;
  // A record traversal: notes whether the value repeats the one before.
  void Compute() override;
  void GenerateContent() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;

  bool AlreadyPrinted() const { return FAlreadyPrinted; }
  bool PriorValueSame() const { return FPriorValueSame; }

private:
  void RecordValue();
  void ClearSuppression();
  // A listener (a script) waits for the OnGetMemo broadcast.
  bool ScriptListens() const;

  bool FAutoDisplay = true;
  bool FSuppressRepeatedValues = false;
  bool FAlreadyPrinted = false, FPriorValueSame = false, FPriorValuePending = false;
  std::string FPriorValue;
};

// The memo unit's start-up and shutdown: both memos for streaming.
void InitializeMemoUnit();
void FinalizeMemoUnit();
