#include "lxreport/LXExportGrid.h"

#include <algorithm>
#include <cmath>

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

TLXAbstractExportFilter::~TLXAbstractExportFilter() = default;

std::string TLXAbstractExportFilter::GetFilterName() const { return "LXAbstract"; }

void TLXAbstractExportFilter::Start(int PaperWidth, int PaperHeight, const TFont* Font) {
  CreateStream(FileName());
  FEntries.clear();
  FFont = std::make_unique<TFont>(Font ? *Font : TFont());
  FCharWidth = FCharHeight = FFont->Size() * TenthsPerPoint;
  FPaperWidth = PaperWidth;
  FPaperHeight = PaperHeight;
  TLXExportFilter::Start(PaperWidth, PaperHeight, Font);
}

void TLXAbstractExportFilter::CreateStream(const std::string& FileName) {
  FStream = std::make_unique<TFileStream>(FileName, fmCreate);
}

void TLXAbstractExportFilter::CloseStream() {
  Flush();
  FStream.reset();
}

void TLXAbstractExportFilter::TextOut(long double X, long double Y, const TFont* Font, TColor, TAlignment Alignment,
                                      const std::string& Text) {
  FEntries.push_back(TTextEntry{Text, X, Y, static_cast<uint8_t>(Alignment), Font ? *Font : TFont()});
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
  FEntries.clear();
  FFont.reset();
  CloseStream();
  TLXExportFilter::Finish();
}

void TLXAbstractExportFilter::ProcessPage() {
  CalcColumns();
  CalcLines();
  FCellIndex.assign(static_cast<size_t>(FLineCount) * static_cast<size_t>(FColCount), -1);
  for (size_t I = FEntries.size(); I-- > 0;) {
    const auto L = static_cast<int32_t>(FEntries[I].Y), C = static_cast<int32_t>(FEntries[I].X);
    if (L >= 1 && C >= 1) FCellIndex[static_cast<size_t>(L - 1) * FColCount + (C - 1)] = static_cast<int32_t>(I);
  }
  StorePage();
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
  if (Font) *Font = &E.Font;
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
