#include "lxreport/LXGridFilters.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Win1252.h"

char LXCSVSeparator = ',';

namespace {
constexpr char XLGlobRow[] = "___XLGlobRow";

TCustomVexaRep* OwnerReport(const TLXExportFilter& F) { return dynamic_cast<TCustomVexaRep*>(F.Owner()); }

int32_t ReportInteger(TCustomVexaRep* Report, const char* Name, bool& Found) {
  Found = false;
  if (!Report || !Report->Functions() || Report->Functions()->IndexOf(Name) < 0) return 0;
  TLXEvEnvironment& Env = *Report->Functions();
  if (!Env.IsCompiled()) {
    // Outside a run the variable is its expression text, which this unit writes as a whole number.
    const auto* Entry = Env.Entries(Env.IndexOf(Name));
    const int64_t N = Entry ? StrToIntDef(Entry->ExpressionText(), -1) : -1;
    Found = N >= 0;
    return Found ? static_cast<int32_t>(N) : 0;
  }
  TLXEvValue V;
  Env.ValueOf(Name, V);
  Found = V.Kind == evInteger || V.Kind == evFloat;
  return V.Kind == evInteger ? V.Integer : V.Kind == evFloat ? static_cast<int32_t>(V.Float) : 0;
}

void SetReportInteger(TCustomVexaRep* Report, const char* Name, int32_t N) {
  if (!Report || !Report->Functions()) return;
  Report->Functions()->Undefine(Name);
  Report->Functions()->Define(Name, std::to_string(N));
}
}  // namespace

// Comma-separated

std::string TLXCommaSeparatedFilter::GetDescription() const { return "Comma separated text file"; }
std::string TLXCommaSeparatedFilter::GetExtension() const { return "CSV"; }
std::string TLXCommaSeparatedFilter::GetFilterName() const { return "Comma Separated"; }

bool CSVTextNeedsGuard(const std::string& Text) {
  if (Text.empty() || (Text[0] != '=' && Text[0] != '+' && Text[0] != '-' && Text[0] != '@')) return false;
  // A signed amount stays a number, in the locale's notation or with a decimal point.
  double Number = 0;
  static const TFormatSettings Point = EnglishFormatSettings();
  return !CellTextIsNumber(Text, FormatSettings(), Number) && !CellTextIsNumber(Text, Point, Number);
}

void TLXCommaSeparatedFilter::StorePage() {
  std::string Row;
  for (int L = 1; L <= LineCount(); ++L) {
    Row.clear();
    for (int C = 1; C <= ColCount(); ++C) {
      Row += '"';
      const std::string Text = GetText(L, C);
      if (CSVTextNeedsGuard(Text)) Row += '\'';
      for (char Ch : Text) {
        if (Ch == '"') Row += '"';
        Row += Ch;
      }
      Row += '"';
      Row += C == ColCount() ? std::string_view("\r\n") : std::string_view(&LXCSVSeparator, 1);
    }
    WriteString(Row);
  }
}

// HTML

std::string TLXHTMLDocumentFilter::GetDescription() const { return "HTML document for web publishing"; }
std::string TLXHTMLDocumentFilter::GetExtension() const { return "HTM"; }
std::string TLXHTMLDocumentFilter::GetFilterName() const { return "HTML document"; }

void TLXHTMLDocumentFilter::CreateStream(const std::string& FileName) {
  if (!FileName.empty()) {
    TLXAbstractExportFilter::CreateStream(FileName);
    FFreeStream = true;
  } else {
    FStream = std::make_unique<TMemoryStream>();
    FFreeStream = false;
  }
  // The tables have no document around them; this tells a browser how the texts are encoded.
  WriteLine("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">");
}

void TLXHTMLDocumentFilter::CloseStream() {
  if (FFreeStream)
    TLXAbstractExportFilter::CloseStream();
  else
    Flush();
}

int HTMLFontStep(int P) {
  if (P <= 8) return 0;
  if (P <= 10) return 1;
  if (P <= 12) return 2;
  if (P <= 14) return 3;
  if (P <= 18) return 4;
  if (P <= 24) return 5;
  return 7;
}

void TLXHTMLDocumentFilter::StorePage() {
  const TFont* ReportFont = Font();
  WriteString("<TABLE WIDTH=100% CELLPADDING=2 BORDER=0>");
  for (int L = 1; L <= LineCount(); ++L) {
    WriteString("<TR>");
    for (int C = 1; C <= ColCount(); ++C) {
      const TFont* CellFont = nullptr;
      std::string Text = GetText(L, C, &CellFont);
      if (!Text.empty()) {
        Text = HtmlEscape(Text);
        std::string Attr;
        if (CellFont && ReportFont) {
          if (CellFont->Color() != ReportFont->Color()) {
            const TColorRef Rgb = ColorToRGB(CellFont->Color());
            Attr = Format("COLOR=\"#%.2X%.2X%.2X\"", {Rgb & 0xFF, (Rgb >> 8) & 0xFF, (Rgb >> 16) & 0xFF});
          }
          if (CellFont->Size() != ReportFont->Size()) {
            const int D = HTMLFontStep(CellFont->Size()) - HTMLFontStep(ReportFont->Size());
            Attr += " SIZE=" + std::string(D < 0 ? "" : "+") + std::to_string(D);
          }
        }
        if (!Attr.empty()) Text = "<FONT " + Attr + ">" + Text + "</FONT>";
      }
      WriteString("<TD>" + Text + "</TD>");
    }
    WriteLine("</TR>");
  }
  WriteString("</TABLE>");
}

// Spreadsheet

std::string TLXXLSFilter::GetDescription() const { return "Excel file format"; }
std::string TLXXLSFilter::GetExtension() const { return "XLS"; }
std::string TLXXLSFilter::GetFilterName() const { return "Excel spreadsheet"; }

namespace {
void Put16(std::string& B, uint32_t V) {
  B += static_cast<char>(V & 0xFF);
  B += static_cast<char>((V >> 8) & 0xFF);
}
void Put32(std::string& B, uint32_t V) {
  Put16(B, V & 0xFFFF);
  Put16(B, V >> 16);
}
}  // namespace

void TLXXLSFilter::CreateStream(const std::string& FileName) {
  TLXAbstractExportFilter::CreateStream(FileName);
  std::string B;
  Put16(B, 0x0809), Put16(B, 6), Put16(B, 0), Put16(B, 16), Put16(B, 0);          // beginning of file
  Put16(B, 0x0042), Put16(B, 2), Put16(B, 1252);  // code page: labels are Windows-1252 bytes
  Put16(B, 0x0200), Put16(B, 10);                                                // dimensions, counts 0
  for (int I = 0; I < 5; ++I) Put16(B, 0);
  WriteString(B);
  FRow = 0;
  SetReportInteger(OwnerReport(*this), XLGlobRow, 0);
}

void TLXXLSFilter::CloseStream() {
  std::string B;
  Put16(B, 0x000A), Put16(B, 0);
  WriteString(B);
  TLXAbstractExportFilter::CloseStream();
}

bool CellTextIsNumber(const std::string& Text, const TFormatSettings& FS, double& Value) {
  std::string Plain;  // sign, digits, '.', exponent: what from_chars reads
  size_t I = 0;
  const size_t N = Text.size();
  if (I < N && (Text[I] == '-' || Text[I] == '+')) {
    if (Text[I] == '-') Plain += '-';
    ++I;
  }
  auto IsDigit = [&](size_t K) { return K < N && Text[K] >= '0' && Text[K] <= '9'; };
  const size_t IntStart = I;
  while (IsDigit(I)) Plain += Text[I++];
  size_t Group = I - IntStart;
  if (Group == 0) return false;
  if (Text[IntStart] == '0' && Group > 1) return false;  // "007" is a code, not seven
  bool Grouped = false;
  while (I < N && Text[I] == FS.ThousandSeparator && FS.ThousandSeparator != FS.DecimalSeparator) {
    if ((!Grouped && Group > 3) || Text[IntStart] == '0') return false;
    size_t K = I + 1, Start = K;
    while (IsDigit(K)) ++K;
    if (K - Start != 3) return false;
    Plain.append(Text, Start, 3);
    Grouped = true;
    Group = 3;
    I = K;
  }
  if (I < N && Text[I] == FS.DecimalSeparator) {
    Plain += '.';
    ++I;
    if (!IsDigit(I)) return false;
    while (IsDigit(I)) Plain += Text[I++];
  }
  if (I < N && (Text[I] == 'e' || Text[I] == 'E')) {
    Plain += 'e';
    ++I;
    if (I < N && (Text[I] == '-' || Text[I] == '+')) Plain += Text[I++];
    if (!IsDigit(I)) return false;
    while (IsDigit(I)) Plain += Text[I++];
  }
  if (I != N) return false;
  const auto R = std::from_chars(Plain.data(), Plain.data() + Plain.size(), Value);
  return R.ec == std::errc() && R.ptr == Plain.data() + Plain.size() && std::isfinite(Value);
}

void TLXXLSFilter::StorePage() {
  TCustomVexaRep* Report = OwnerReport(*this);
  bool Found = false;
  int32_t Row = ReportInteger(Report, XLGlobRow, Found);
  // Without a report to keep it the running row is the filter's own.
  if (!Found) Row = FRow;
  if (Row < 0) Row = 0;
  const bool Continued = Row > 0;
  if (!Continued && LineCount() > 0 && LXProgressCaption) LXProgressCaption(SLXWritingXLS);
  TLXPrinter* Printer = Report ? Report->ActivePrinter() : nullptr;
  const TFormatSettings& FS = FormatSettings();
  for (int32_t L = 0; L < LineCount(); ++L) {
    if (Printer && !Continued) {
      Printer->SetProgress(L * 100 / LineCount());
      if (Application) Application->ProcessMessages();
    }
    for (int32_t C = 0; C < ColCount(); ++C) {
      const std::string Text = GetText(L + 1, C + 1);
      if (Text.empty()) continue;
      double Number = 0;
      if (CellTextIsNumber(Text, FS, Number))
        WriteCell(2, Row, C, FloatToStr(Number, FS));
      else
        WriteCell(3, Row, C, Text);
    }
    ++Row;
  }
  FRow = Row;
  SetReportInteger(Report, XLGlobRow, Row);
}

void TLXXLSFilter::WriteCell(int CellType, int32_t Row, int32_t Column, const std::string& Text) {
  if (CellType < 1 || CellType > 3) return;
  if (Row > XLSMaxRow) throw ELXError(Format(SLXSheetFull, {FileName(), XLSMaxRow + 1}));
  std::string B;
  auto Head = [&](uint32_t Type, uint32_t Length) {
    Put16(B, Type), Put16(B, Length), Put16(B, static_cast<uint32_t>(Row)), Put16(B, static_cast<uint32_t>(Column));
    B.append(3, '\0');
  };
  if (CellType == 1) {
    Head(0x0002, 11);
    Put32(B, static_cast<uint32_t>(StrToInt(Text)));
  } else if (CellType == 2) {
    Head(0x0003, 15);
    double V = StrToFloat(Text, FormatSettings());
    uint64_t Bits;
    std::memcpy(&Bits, &V, 8);
    Put32(B, static_cast<uint32_t>(Bits)), Put32(B, static_cast<uint32_t>(Bits >> 32));
  } else {
    std::string Bytes = Utf8ToWin1252(Text);
    if (Bytes.size() > 255) Bytes.resize(255);
    Head(0x0004, static_cast<uint32_t>(Bytes.size()) + 8);
    B += static_cast<char>(Bytes.size());
    B += Bytes;
  }
  WriteString(B);
}

// Components

const TClassInfo& TLXCSVFilter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXCSVFilter>("TLXCSVFilter", &TComponent::StaticClassInfo())
                                     .Prop("Separator", &TLXCSVFilter::Separator, &TLXCSVFilter::SetSeparator);
  return Info;
}
TLXCSVFilter::TLXCSVFilter(TComponent* AOwner) : TComponent(AOwner) {
  LXCSVSeparator = ',';
  AddExportFilter(ExportFilterClassOf<TLXCommaSeparatedFilter>());
}
TLXCSVFilter::~TLXCSVFilter() { RemoveExportFilter(ExportFilterClassOf<TLXCommaSeparatedFilter>()); }

const TClassInfo& TLXHTMLFilter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXHTMLFilter>("TLXHTMLFilter", &TComponent::StaticClassInfo());
  return Info;
}
TLXHTMLFilter::TLXHTMLFilter(TComponent* AOwner) : TComponent(AOwner) {
  AddExportFilter(ExportFilterClassOf<TLXHTMLDocumentFilter>());
}
TLXHTMLFilter::~TLXHTMLFilter() { RemoveExportFilter(ExportFilterClassOf<TLXHTMLDocumentFilter>()); }

const TClassInfo& TLXExcelFilter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXExcelFilter>("TLXExcelFilter", &TComponent::StaticClassInfo());
  return Info;
}
TLXExcelFilter::TLXExcelFilter(TComponent* AOwner) : TComponent(AOwner) {
  AddExportFilter(ExportFilterClassOf<TLXXLSFilter>());
}
TLXExcelFilter::~TLXExcelFilter() { RemoveExportFilter(ExportFilterClassOf<TLXXLSFilter>()); }
