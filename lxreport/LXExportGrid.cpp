#include "lxreport/LXExportGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "lxreport/LXSpillFile.h"
#include "platform/classes/ClassesConsts.h"

#include "platform/classes/SafeFileStream.h"

namespace {
// The runtime's Round: halves go to the even neighbour (the default rounding mode).
long long RoundHalfEven(long double V) { return std::llrintl(V); }
// Tenths of a millimetre per point.
constexpr long double TenthsPerPoint = 3.5277777777777777778L;
}  // namespace

const TLXPositionEntry* TLXPositions::Find(long double P) const {
  const auto It = FIndex.find(RoundHalfEven(P));
  return It == FIndex.end() ? nullptr : &FList[It->second];
}

void TLXPositions::AddPosition(long double P) {
  if (!FUpdating) return;
  const auto [It, Added] = FIndex.try_emplace(RoundHalfEven(P), FList.size());
  if (Added)
    FList.push_back(TLXPositionEntry{P});
  else
    ++FList[It->second].Clients;
}

void TLXPositions::EndUpdate() {
  FUpdating = false;
  // Distinct entries round to distinct whole numbers, so their exact positions never tie and
  // ascending order numbers them as picking the least one again and again would.
  std::vector<size_t> Order;
  for (size_t I = 0; I < FList.size(); ++I) {
    const long double E = FList[I].ExactPosition;
    if (!FList[I].Stored && E > 0 && E < 9999999) Order.push_back(I);
  }
  std::stable_sort(Order.begin(), Order.end(),
                   [this](size_t A, size_t B) { return FList[A].ExactPosition < FList[B].ExactPosition; });
  int32_t Next = 0;
  for (const auto& E : FList)
    if (E.Stored) Next = std::max(Next, E.NewPosition);
  for (size_t I : Order) {
    FList[I].NewPosition = ++Next;
    FList[I].Stored = true;
  }
}

int32_t TLXPositions::GetPosition(long double P) const {
  const auto* E = Find(P);
  return E ? E->NewPosition : 0;
}

// Pages waiting for the export's columns. Per page: the number of entries, then each entry's
// line, rounded X and text.
class TLXGridSpill {
public:
  void WritePage(const std::vector<TTextEntry>& Entries) {
    FBuffer.clear();
    Put(static_cast<uint32_t>(Entries.size()));
    for (const auto& E : Entries) {
      Put(static_cast<int32_t>(E.Y));
      Put(static_cast<int64_t>(RoundHalfEven(E.X)));
      Put(static_cast<uint32_t>(E.Text.size()));
      FBuffer.append(E.Text);
    }
    FFile.Write(FBuffer);
  }

  void Rewind() {
    FFile.Rewind();
    FBuffer.clear();
    FAt = 0;
  }

  // The next page's entries, X the rounded position and Y the line; false after the last page.
  bool ReadPage(std::vector<TTextEntry>& Entries) {
    Entries.clear();
    uint32_t Count = 0;
    if (!Get(Count)) return false;
    Entries.resize(Count);
    for (auto& E : Entries) {
      int32_t Line = 0;
      int64_t X = 0;
      uint32_t Length = 0;
      if (!Get(Line) || !Get(X) || !Get(Length) || !Fill(Length)) throw EReadError(SReadError);
      E.Y = Line;
      E.X = static_cast<long double>(X);
      E.Text.assign(FBuffer, FAt, Length);
      FAt += Length;
    }
    return true;
  }

private:
  template <class T>
  void Put(T V) {
    FBuffer.append(reinterpret_cast<const char*>(&V), sizeof V);
  }
  template <class T>
  bool Get(T& V) {
    if (!Fill(sizeof V)) return false;
    std::memcpy(&V, FBuffer.data() + FAt, sizeof V);
    FAt += sizeof V;
    return true;
  }
  // At least N unread bytes in the buffer, unless the file ends first.
  bool Fill(size_t N) {
    if (FBuffer.size() - FAt >= N) return true;
    FBuffer.erase(0, FAt);
    FAt = 0;
    FFile.Read(FBuffer, std::max<size_t>(N, 1 << 16));
    return FBuffer.size() >= N;
  }

  TLXSpillFile FFile;
  std::string FBuffer;
  size_t FAt = 0;
};

TLXAbstractExportFilter::TLXAbstractExportFilter(const std::string& FileName) : TLXExportFilter(FileName) {}
TLXAbstractExportFilter::~TLXAbstractExportFilter() = default;

std::string TLXAbstractExportFilter::GetFilterName() const { return "LXAbstract"; }

void TLXAbstractExportFilter::Start(int PaperWidth, int PaperHeight, const TFont* Font) {
  CreateStream(FileName());
  FEntries.clear();
  FFont = std::make_unique<TFont>(Font ? *Font : TFont());
  FCharWidth = FCharHeight = FFont->Size() * TenthsPerPoint;
  FPaperWidth = PaperWidth;
  FPaperHeight = PaperHeight;
  if (RanksColumnsOverExport()) {
    FExportColumns = TLXPositions();
    FExportColumns.BeginUpdate();
    FSpill = std::make_unique<TLXGridSpill>();
  }
  TLXExportFilter::Start(PaperWidth, PaperHeight, Font);
}

void TLXAbstractExportFilter::CreateStream(const std::string& FileName) {
  FStream.reset();
  FStream = std::make_unique<TSafeFileStream>(FileName);
}

void TLXAbstractExportFilter::CloseStream() {
  Flush();
  // The file takes its name only now: a run that fails before leaves an earlier file as it was.
  if (auto* File = dynamic_cast<TSafeFileStream*>(FStream.get())) File->Commit();
  FStream.reset();
}

void TLXAbstractExportFilter::TextOut(long double X, long double Y, const TFont* Font, TColor, TAlignment Alignment,
                                      const std::string& Text) {
  static const TFont Default;
  FEntries.push_back(TTextEntry{Text, X, Y, static_cast<uint8_t>(Alignment), KeptFont(Font ? *Font : Default)});
}

const TFont* TLXAbstractExportFilter::KeptFont(const TFont& Font) {
  // A report has few distinct fonts; the latest is the likeliest.
  for (auto I = FKeptFonts.rbegin(); I != FKeptFonts.rend(); ++I)
    if (**I == Font) return I->get();
  FKeptFonts.push_back(std::make_unique<TFont>(Font));
  return FKeptFonts.back().get();
}

void TLXAbstractExportFilter::EndPage() {
  ProcessPage();
  FEntries.clear();
  FCellIndex.clear();
  Flush();
  TLXExportFilter::EndPage();
}

void TLXAbstractExportFilter::NewPage() {
  FEntries.clear();
  TLXExportFilter::NewPage();
}

void TLXAbstractExportFilter::Finish() {
  if (FSpill) StoreSpilledPages();
  FSpill.reset();
  FEntries.clear();
  FKeptFonts.clear();
  FFont.reset();
  CloseStream();
  TLXExportFilter::Finish();
}

void TLXAbstractExportFilter::ProcessPage() {
  if (FSpill) {
    CalcLines();
    for (const auto& E : FEntries) FExportColumns.AddPosition(E.X);
    if (!FEntries.empty()) FSpill->WritePage(FEntries);
    return;
  }
  CalcColumns();
  CalcLines();
  IndexCells();
  StorePage();
}

void TLXAbstractExportFilter::IndexCells() {
  FCellIndex.assign(static_cast<size_t>(FLineCount) * static_cast<size_t>(FColCount), -1);
  for (size_t I = FEntries.size(); I-- > 0;) {
    const auto L = static_cast<int32_t>(FEntries[I].Y), C = static_cast<int32_t>(FEntries[I].X);
    if (L >= 1 && C >= 1) FCellIndex[static_cast<size_t>(L - 1) * FColCount + (C - 1)] = static_cast<int32_t>(I);
  }
}

void TLXAbstractExportFilter::StoreSpilledPages() {
  FExportColumns.EndUpdate();
  FColCount = 0;
  for (const auto& E : FExportColumns.List()) FColCount = std::max(FColCount, E.NewPosition);
  FSpill->Rewind();
  while (FSpill->ReadPage(FEntries)) {
    FLineCount = 0;
    for (auto& E : FEntries) {
      E.X = FExportColumns.GetPosition(E.X);
      FLineCount = std::max<int32_t>(FLineCount, static_cast<int32_t>(E.Y));
    }
    IndexCells();
    StorePage();
    Flush();
  }
  FEntries.clear();
  FCellIndex.clear();
}

void TLXAbstractExportFilter::CalcColumns() {
  TLXPositions P;
  P.BeginUpdate();
  for (const auto& E : FEntries) P.AddPosition(E.X);
  P.EndUpdate();
  FColCount = 0;
  for (auto& E : FEntries) {
    E.X = P.GetPosition(E.X);
    FColCount = std::max<int32_t>(FColCount, static_cast<int32_t>(E.X));
  }
}

void TLXAbstractExportFilter::CalcLines() {
  TLXPositions P;
  P.BeginUpdate();
  for (const auto& E : FEntries) P.AddPosition(E.Y);
  P.EndUpdate();
  FLineCount = 0;
  for (auto& E : FEntries) {
    E.Y = P.GetPosition(E.Y);
    FLineCount = std::max<int32_t>(FLineCount, static_cast<int32_t>(E.Y));
  }
}

std::string TLXAbstractExportFilter::GetText(int Line, int Column, const TFont** Font) const {
  if (Font) *Font = nullptr;
  if (Line < 1 || Column < 1 || Line > FLineCount || Column > FColCount) return {};
  const size_t Cell = static_cast<size_t>(Line - 1) * FColCount + (Column - 1);
  if (Cell >= FCellIndex.size() || FCellIndex[Cell] < 0) return {};
  const auto& E = FEntries[static_cast<size_t>(FCellIndex[Cell])];
  if (Font) *Font = E.Font;
  return E.Text;
}

void TLXAbstractExportFilter::WriteString(std::string_view S) {
  FBuffer.append(S);
  if (FBuffer.size() >= 1 << 16) Flush();
}

void TLXAbstractExportFilter::WriteLine(std::string_view S) {
  WriteString(S);
  WriteString("\r\n");
}

void TLXAbstractExportFilter::Flush() {
  if (FStream && !FBuffer.empty()) FStream->WriteBuffer(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
  FBuffer.clear();
}
