#pragma once
// Rich text components: formatted (RTF) text kept in a hidden rich edit and split over pages by
// character ranges measured on the printer. TppRichText keeps its RTF in the report template;
// TppDBRichText reads it from a data field (or its OnGetRichText handler). With MailMerge on, a
// copy of the content is printed in which "<field>" and "<DBTEXT ...>field</DBTEXT>" tags are
// replaced by the current record's values; the component's own content keeps its tags.
//
// Page ranges: each page prints [StartCharPos, EndCharPos] and the next one starts at
// EndCharPos + 1, so the ranges of all pages join from 0 to length - 1. A page that prints nothing
// of the text (its first line does not fit below what the page already holds, or the text is kept
// together) has StartCharPos -1 and EndCharPos one before the character that waits. A first line
// that does not fit a whole page is printed there all the same.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/richtext/RichEditAttributes.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "ppreport/generation/ppStrtch.h"

// One page of a rich text's state in the page cache (20 bytes, little-endian; unused bytes 0).
#pragma pack(push, 1)
struct TppRichTextCacheRecord {
  uint8_t DrawComponent;
  uint8_t ShiftersActive;
  uint8_t KeptTogether;
  uint8_t OverFlow;
  int32_t ShifterIndex;
  uint8_t PartialGeneration;
  uint8_t Stalled;  // the page before printed nothing of the text
  uint8_t Reserved[2];
  int32_t StartCharPos;
  int32_t EndCharPos;
};
#pragma pack(pop)
static_assert(sizeof(TppRichTextCacheRecord) == 20);

// What one DBTEXT tag names.
class TppMergeInfo {
public:
  const std::string& DataPipeline() const { return FDataPipeline; }
  void SetDataPipeline(const std::string& V) { FDataPipeline = V; }
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& V) { FDisplayFormat = V; }
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& V) { FFieldName = V; }

private:
  std::string FDataPipeline, FDisplayFormat, FFieldName;
};

class TppCustomRichText : public TppStretchable {
  DECLARE_CLASSINFO(TppCustomRichText)
public:
  explicit TppCustomRichText(TComponent* AOwner);
  ~TppCustomRichText() override;

  // ---- content
  // The RTF of the content (refreshed first); empty for an empty text.
  virtual std::string GetRichText();
  // Loads RTF (or plain text) up to its first NUL.
  virtual void SetRichText(const std::string& Text);
  virtual TMemoryStream* GetRichTextStream();
  virtual void RefreshRichText() {}
  // Plain text lines (ignored while the component is read from a stream).
  virtual void SetRichTextStrings(const TStrings* Strings);
  // Merges into the merge edit a fresh copy of the content (MailMerge only).
  virtual void PerformMailMerge();

  void LoadFromRTFStream(TStream& Stream);
  void SaveToRTFStream(TStream& Stream);
  // Raises EFOpenError / EFCreateError for a file that cannot be opened or made.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  // ---- the main edit's selection and search
  int FindText(const std::string& SearchStr, int StartPos, int Length, bool WholeWord, bool MatchCase);
  void SelectAll();
  int GetSelStart() const;
  void SetSelStart(int Value);
  int GetSelLength() const;
  void SetSelLength(int Value);
  std::string GetSelText() const;
  void SetSelText(const std::string& Value);
  // The main edit's selection formats, as objects that read and write the selection.
  TTextAttributes* GetSelAttributes() const { return FSelAttributes.get(); }
  TParaAttributes* GetParagraph() const { return FParagraph.get(); }
  // The main edit's plain text, one line a paragraph, read afresh at each call.
  TStrings* GetRichTextStrings();
  std::string GetPlainText();
  int GetMaxLength() const;
  void SetMaxLength(int Value);

  TppRichEdit& RichEdit() { return *FRichEdit; }
  // The main edit, or with MailMerge the merge edit (made on first use).
  TppRichEdit& GetActiveRichEdit();

  bool MailMerge() const { return FMailMerge; }
  virtual void SetMailMerge(bool Value);

  // ---- mail merge
  void MergeFields();
  void MergeDBTextTags();
  static void ParseMergeTag(const std::string& Tag, TppMergeInfo& Info);
  std::string GetMergeValue(const TppMergeInfo& Info);
  // 1-based index of the first C in S at or after From (from the start when From <= 1); 0 for none.
  static int FindCharFrom(char C, const std::string& S, int From);

  // ---- generation state
  int32_t StartCharPos() const { return FStartCharPos; }
  int32_t EndCharPos() const { return FEndCharPos; }

  void GenerateContent() override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void CreateDrawCommand(TppPage* Page) override;
  void Init() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;
  bool HasFont() const override { return false; }

protected:
  // Content changed: the stored RTF follows and the layout is redone.
  void ContentChanged();
  TMemoryStream& RichTextStreamStorage() { return FRichTextStream; }

private:
  // The page has given all the room a page gives: nothing is printed above the text.
  bool RoomIsWholePage() const;

  std::unique_ptr<TppRichEdit> FRichEdit;
  std::unique_ptr<TppRichEdit> FMergeEdit;
  std::unique_ptr<TTextAttributes> FSelAttributes;
  std::unique_ptr<TParaAttributes> FParagraph;
  TStringList FRichTextStrings;
  TMemoryStream FRichTextStream;
  int32_t FStartCharPos = -1, FEndCharPos = -1;
  bool FMailMerge = false;
  bool FStalled = false;
  // Device pixels of a first line taller than the page, drawn beyond the page's room.
  int32_t FDrawHeight = 0;
};

class TppRichText : public TppCustomRichText {
  DECLARE_CLASSINFO(TppRichText)
public:
  explicit TppRichText(TComponent* AOwner);
  ~TppRichText() override;
  void RefreshRichText() override;
  TMemoryStream* GetRichTextStream() override;
  void SetRichTextStrings(const TStrings* Strings) override;
  void SetMailMerge(bool Value) override;
};

class TppDBRichText : public TppCustomRichText {
  DECLARE_CLASSINFO(TppDBRichText)
public:
  explicit TppDBRichText(TComponent* AOwner);
  ~TppDBRichText() override;

  bool AutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool Value);
  TppGetTextEvent OnGetRichText;

  // OnGetRichText's text, a script's, or the field's.
  TMemoryStream* GetRichTextStream() override;
  // The field's RTF (language string 414 when it cannot be read).
  void RefreshRichText() override;
  bool IsDataAware() const override { return true; }
  void SetDataField(const std::string& Value) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

private:
  bool FAutoDisplay = true;
};

// The rich text unit's start-up and shutdown: both components for streaming.
void InitializeRichTextUnit();
void FinalizeRichTextUnit();
