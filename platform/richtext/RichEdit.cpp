#include "platform/richtext/RichEdit.h"

#include <algorithm>
#include <cstdint>

#include "platform/classes/Streams.h"
#include "platform/richtext/RichTextLock.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

void TRichEdit::LoadFromBytes(std::string_view Bytes) {
  TLock L(RichTextLock());
  ReadRichText(Bytes, FDoc);
  if (FMaxLength > 0 && FDoc.Length() > FMaxLength) FDoc.Replace(FMaxLength, -1, u"");
  FSelStart = FSelLength = 0;
}

void TRichEdit::LoadFromStream(TStream& Stream) {
  int64_t Count = std::max<int64_t>(0, Stream.Size() - Stream.Position());
  std::string Bytes(static_cast<size_t>(Count), '\0');
  if (Count > 0) Stream.ReadBuffer(Bytes.data(), Count);
  LoadFromBytes(Bytes);
}

std::string TRichEdit::SaveToBytes() const { return WriteRichText(FDoc); }

void TRichEdit::SaveToStream(TStream& Stream) const {
  std::string Bytes = SaveToBytes();
  Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

void TRichEdit::SetMaxLength(int Value) {
  TLock L(RichTextLock());
  FMaxLength = std::max(0, Value);
}

void TRichEdit::Clamp() const {
  int Length = FDoc.Length();
  FSelStart = std::clamp(FSelStart, 0, Length);
  FSelLength = std::clamp(FSelLength, 0, Length - FSelStart);
}

int TRichEdit::SelStart() const {
  TLock L(RichTextLock());
  Clamp();
  return FSelStart;
}

int TRichEdit::SelLength() const {
  TLock L(RichTextLock());
  Clamp();
  return FSelLength;
}

void TRichEdit::SetSelStart(int Value) { Select(Value, 0); }

void TRichEdit::SetSelLength(int Value) {
  TLock L(RichTextLock());
  Clamp();
  FSelLength = Value;
  Clamp();
}

void TRichEdit::Select(int Start, int Length) {
  TLock L(RichTextLock());
  FSelStart = Start;
  FSelLength = Length;
  Clamp();
}

void TRichEdit::SelectAll() { Select(0, FDoc.Length()); }

std::u16string TRichEdit::SelText() const {
  TLock L(RichTextLock());
  Clamp();
  return FDoc.TextRange(FSelStart, FSelLength);
}

void TRichEdit::SetSelText(std::u16string_view Text) {
  TLock L(RichTextLock());
  Clamp();
  std::u16string_view Inserted = Text;
  if (FMaxLength > 0) {
    // What the limit leaves room for, as typing into a full edit.
    int Room = std::max(0, FMaxLength - (FDoc.Length() - FSelLength));
    if (static_cast<int>(Inserted.size()) > Room) Inserted = Inserted.substr(0, static_cast<size_t>(Room));
  }
  int Added = FDoc.Replace(FSelStart, FSelLength, Inserted);
  FSelStart += Added;
  FSelLength = 0;
  Clamp();
}

TRichCharFormat TRichEdit::SelAttributes(uint32_t* Mask) const {
  TLock L(RichTextLock());
  Clamp();
  return FDoc.CharFormat(FSelStart, FSelLength, Mask);
}

void TRichEdit::SetSelAttributes(const TRichCharFormat& Format, uint32_t Mask) {
  TLock L(RichTextLock());
  Clamp();
  FDoc.SetCharFormat(FSelStart, FSelLength, Format, Mask);
}

TRichParaFormat TRichEdit::Paragraph() const {
  TLock L(RichTextLock());
  Clamp();
  return FDoc.ParaFormat(FSelStart);
}

void TRichEdit::SetParagraph(const TRichParaFormat& Format) {
  TLock L(RichTextLock());
  Clamp();
  FDoc.SetParaFormat(FSelStart, FSelLength, Format);
}

int TRichEdit::FindText(std::u16string_view What, int Start, int Length, TSearchTypes Options) const {
  const int64_t End = Length < 0 ? -1 : int64_t{std::max(Start, 0)} + Length;
  return FDoc.FindText(What, Start, End > INT32_MAX ? -1 : static_cast<int>(End), Options);
}
