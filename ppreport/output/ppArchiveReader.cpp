#include "ppreport/output/ppArchiveReader.h"

#include "platform/classes/ByteReader.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/output/ppFileDevConsts.h"

TppArchiveReader::TppArchiveReader(const std::string& FileName) : FName(FileName) {
  try {
    FStream = std::make_unique<TFileStream>(FileName, fmOpenRead);
  } catch (const Exception&) {
    throw EArchiveError(FormatLanguageString(67, {FileName}));
  }
  ReadDirectory();
}

TppArchiveReader::TppArchiveReader(std::unique_ptr<TStream> Stream, const std::string& Name)
    : FStream(std::move(Stream)), FName(Name) {
  ReadDirectory();
}

TppArchiveReader::~TppArchiveReader() = default;

void TppArchiveReader::Damaged(const std::string& What) const {
  throw EArchiveError(Format(SppArchiveDamaged, {FName, What}));
}

void TppArchiveReader::ReadDirectory() {
  const int64_t Size = FStream->Size();
  uint8_t Head[4];
  FStream->SetPosition(0);
  if (Size < 4 || FStream->Read(Head, 4) != 4) Damaged(SppArchiveHeader);
  const int32_t P = TByteReader(Head, 4).I32();
  if (P < 4 || (P - 4) % 8 != 0 || P > Size) Damaged(SppArchiveHeader);
  // The directory lies inside the file (checked above): its size is bounded by the file's.
  std::vector<uint8_t> Directory(static_cast<size_t>(P - 4));
  if (FStream->Read(Directory.data(), P - 4) != P - 4) Damaged(SppArchiveHeader);
  TByteReader R(Directory.data(), Directory.size());
  const size_t Count = Directory.size() / 8;
  FPages.reserve(Count);
  for (size_t I = 0; I < Count; ++I) {
    const int32_t Offset = R.I32();
    const int32_t PageNo = R.I32();
    const int64_t Start = int64_t(P) + Offset;
    // The first page starts the page area; each starts where the one before it ends at the latest.
    const int64_t Earliest = FPages.empty() ? P : FPages.back().Start;
    if (Offset < 0 || Start > Size || (I == 0 && Offset != 0) || Start < Earliest) Damaged(SppArchiveDirectory);
    if (!FPages.empty()) FPages.back().End = Start;
    FPages.push_back({Start, Size, PageNo});
  }
}

const TppArchiveReader::TEntry& TppArchiveReader::Entry(int Index) const {
  if (Index < 0 || Index >= PageCount())
    throw EArchiveError(
        ppErrorText("TppArchiveReader", "ReadPage", Format(SppArchivePageIndex, {Index, PageCount() - 1})));
  return FPages[static_cast<size_t>(Index)];
}

int TppArchiveReader::AbsolutePageNo(int Index) const { return Entry(Index).AbsolutePageNo; }

int TppArchiveReader::IndexOfPage(int AbsolutePageNo) const {
  for (size_t I = 0; I < FPages.size(); ++I)
    if (FPages[I].AbsolutePageNo == AbsolutePageNo) return static_cast<int>(I);
  return -1;
}

TppOwnedPage TppArchiveReader::ReadPage(int Index) {
  const TEntry& E = Entry(Index);
  const int Number = Index + 1;
  TMemoryStream Bytes;
  Bytes.SetSize(E.End - E.Start);
  FStream->SetPosition(E.Start);
  // The file may have been cut since it was opened.
  if (FStream->Read(Bytes.Memory(), Bytes.Size()) != Bytes.Size()) Damaged(Format(SppArchivePageBounds, {Number}));
  if (Bytes.Size() < 4 || std::string(reinterpret_cast<const char*>(Bytes.Memory()), 4) != "TPF0")
    Damaged(Format(SppArchivePageSignature, {Number}));
  std::unique_ptr<TComponent, TComponentDeleter> Root;
  try {
    Root.reset(ReadComponentFromStream(Bytes, nullptr));
  } catch (const Exception& Error) {
    Damaged(Format(SppArchivePageRead, {Number, Error.Message()}));
  }
  if (!dynamic_cast<TppPage*>(Root.get()))
    Damaged(Format(SppArchivePageClass, {Number, Root ? std::string(Root->ClassInfo()->Name) : std::string("nil")}));
  return TppOwnedPage(static_cast<TppPage*>(Root.release()));
}

bool ppIsEqualPage(const TppPage& A, const TppPage& B) {
  if (A.AbsolutePageNo() != B.AbsolutePageNo() || A.AbsolutePageCount() != B.AbsolutePageCount() ||
      A.PageNo() != B.PageNo() || A.PageCount() != B.PageCount() ||
      A.ControlGroupBreakNo() != B.ControlGroupBreakNo() || A.Calculation() != B.Calculation() ||
      A.Final() != B.Final() || A.FirstPage() != B.FirstPage() || A.LastPage() != B.LastPage() ||
      A.Color() != B.Color() || A.DocumentName() != B.DocumentName() || A.LanguageIndex() != B.LanguageIndex() ||
      A.PassSetting() != B.PassSetting() || A.PrintDateTime() != B.PrintDateTime() ||
      !A.PrinterSetup()->IsEqual(*B.PrinterSetup()) || A.GetDrawCommandCount() != B.GetDrawCommandCount())
    return false;
  for (int I = 0; I < A.GetDrawCommandCount(); ++I) {
    const TppDrawCommand* CA = A.GetDrawCommand(I);
    const TppDrawCommand* CB = B.GetDrawCommand(I);
    if (!CA || !CB || CA->ClassInfo() != CB->ClassInfo() || !CA->IsEqual(*CB)) return false;
  }
  return true;
}
