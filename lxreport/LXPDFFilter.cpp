#include "lxreport/LXPDFFilter.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "lxreport/LXError.h"
#include "lxreport/LXGraphics.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/classes/ClassesConsts.h"
#include "platform/classes/SafeFileStream.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/TempFiles.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/FontEngine.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Win1252.h"

using namespace LXPDFItem;

namespace {
// PDF points per millimetre.
constexpr long double PointsPerMM = 2.8346456692913385826L;

// The component's bytes into the output file; a failure stays in the stream (its Error) for the
// filter to raise, as no exception may cross into the component.
int WriteOutput(void* Context, const char* Data, int64_t Size) {
  try {
    static_cast<TSafeFileStream*>(Context)->WriteBuffer(Data, Size);
    return 1;
  } catch (...) {
    return 0;
  }
}
}  // namespace

// ---- TLXPAbstractExportFilter

std::string TLXPAbstractExportFilter::GetFilterName() const { return SLXPAbstractFilterName; }
void TLXPAbstractExportFilter::TextOut(long double, long double, const TFont*, TColor, TAlignment,
                                       const std::string&) {}
void TLXPAbstractExportFilter::AcceptGraphic(long double, long double, TLXPrintable*) {}
void TLXPAbstractExportFilter::NewPage() {}
void TLXPAbstractExportFilter::EndPage() {}
void TLXPAbstractExportFilter::CreateStream(const std::string&) {}
void TLXPAbstractExportFilter::CloseStream() {}
void TLXPAbstractExportFilter::ProcessPage() { FPageProcessed = true; }
void TLXPAbstractExportFilter::StorePage() {}

// ---- Fitting pictures

TLXPictureFit FitPictureInside(int PictureWidth, int PictureHeight, int W, int H) {
  TLXPictureFit Fit{W, H};
  if (PictureWidth <= 0 || PictureHeight <= 0 || W <= 0 || H <= 0) return Fit;
  long double XRatio = static_cast<long double>(PictureWidth) / W, YRatio = static_cast<long double>(PictureHeight) / H;
  if (XRatio >= YRatio) {
    Fit.H = static_cast<int>(Round(PictureHeight / XRatio));
    Fit.DY = (H - Fit.H) / 2;
  } else {
    Fit.W = static_cast<int>(Round(PictureWidth / YRatio));
    Fit.DX = (W - Fit.W) / 2;
  }
  return Fit;
}

TLXPictureFit FitPicture(TFitMode Mode, int PictureWidth, int PictureHeight, int W, int H) {
  if (Mode == fmInsideProp) return FitPictureInside(PictureWidth, PictureHeight, W, H);
  TLXPictureFit Fit{W, H};
  if (PictureWidth <= 0 || PictureHeight <= 0 || W <= 0 || H <= 0) return Fit;
  long double Aspect = static_cast<long double>(PictureWidth) / PictureHeight;
  bool Wider = static_cast<long double>(PictureWidth) / W >= static_cast<long double>(PictureHeight) / H;
  if (Mode == fmKeepWidth || (Mode == fmProportional && !Wider)) Fit.H = static_cast<int>(Trunc(W / Aspect));
  else Fit.W = static_cast<int>(Trunc(H * Aspect));
  return Fit;
}

// ---- TLXPDFDocumentFilter

TLXPDFDocumentFilter::TLXPDFDocumentFilter(const std::string& FileName, const std::string& LibraryName)
    : TLXPAbstractExportFilter(FileName), FLibrary(LibraryName) {
  SetFloat(FItem.data(), ScaleX, 1.0L);
  SetFloat(FItem.data(), ScaleY, 1.0L);
  FLibrary.InitLib(Owner());
}

TLXPDFDocumentFilter::~TLXPDFDocumentFilter() {
  FLibrary.CloseDownLib();
  RemovePictureFolder();
}

std::string TLXPDFDocumentFilter::GetFilterName() const { return LXPDFDocumentFilterName; }
std::string TLXPDFDocumentFilter::GetExtension() const { return SLXPDFFilterExtension; }
bool TLXPDFDocumentFilter::GetStreaming() const { return false; }

TLXPrinter* TLXPDFDocumentFilter::ReportPrinter() const {
  if (auto* Report = dynamic_cast<TCustomVexaRep*>(Owner()))
    if (Report->ActivePrinter()) return Report->ActivePrinter();
  if (SourcePrinter()) return SourcePrinter();
  throw ELXError(SLXPDFNoPrinter);
}

void TLXPDFDocumentFilter::Start(int PaperWidth, int PaperHeight, const TFont* Font) {
  TLXPAbstractExportFilter::Start(PaperWidth, PaperHeight, Font);
  TLXPrinter* Printer = ReportPrinter();
  FXPoints = 1 / (Printer->XFactor() * 10) * PointsPerMM;
  FYPoints = 1 / (Printer->YFactor() * 10) * PointsPerMM;
  long double TopMargin = 0;
  if (auto* Report = dynamic_cast<TCustomVexaRep*>(Owner())) TopMargin = Report->Page()->Native(TLXPage::TopMarginIndex);
  FLibrary.SetPageParams(PaperWidth * 0.1L * PointsPerMM, PaperHeight * 0.1L * PointsPerMM,
                         TopMargin * 0.1L * PointsPerMM, 0, 0);
  OpenOutput();
}

void TLXPDFDocumentFilter::OpenOutput() {
  // Without the component nothing is written, and that was said already.
  if (FLibrary.Missing()) return;
  FOutput = std::make_unique<TSafeFileStream>(FileName());
  FStreamed = FLibrary.SetOutput(FOutput.get(), WriteOutput);
}

void TLXPDFDocumentFilter::NotWritten(int Error) {
  // Dropped, not freed: the component may hold the stream until CloseDownLib.
  FOutput->Discard();
  throw EWriteError(Format(SLXPDFNotWritten, {FileName(), Error ? SysErrorMessage(Error) : std::string(SLXPDFWriterFailed)}));
}

void TLXPDFDocumentFilter::CheckOutput() {
  if (FOutput && FOutput->Error()) NotWritten(FOutput->Error());
}

void TLXPDFDocumentFilter::NewPage() {
  if (FFirstPage) {
    FFirstPage = false;
    return;
  }
  FItem[Kind] = KindPageBreak;
  SetFloat(FItem.data(), ScaleX, 1.0L);
  SetFloat(FItem.data(), ScaleY, 1.0L);
  FLibrary.AddPDFItem(Block().data());
  ++FPageCount;
  // The page before went out now: a full disk stops the run here, not thousands of pages later.
  CheckOutput();
}

void TLXPDFDocumentFilter::EndPage() {}

void TLXPDFDocumentFilter::SetRGB(size_t At, TColor Color) { LXPDFItem::SetRGB(FItem.data(), At, ColorToRGB(Color)); }

void TLXPDFDocumentFilter::TextOut(long double X, long double Y, const TFont* Font, TColor, TAlignment Alignment,
                                   const std::string& Text) {
  TLXPrinter* Printer = ReportPrinter();
  long double Px = Printer->XPos(X), Py = Printer->YPos(Y);
  long double Left = Px * FXPoints;
  // Measured in points, at the size the writer draws: whole pixels of a screen-sized font run
  // a few percent short and a right-aligned line would overshoot its edge.
  if (Alignment == taRightJustify)
    Left -= LXPDFTextWidth(*Font, Text);
  else if (Alignment == taCenter)
    Left -= LXPDFTextWidth(*Font, Text) / 2;
  FItem[Kind] = KindText;
  SetFloat(FItem.data(), LXPDFItem::X, Left);
  SetFloat(FItem.data(), LXPDFItem::Y, Font->Size() + Py * FYPoints);
  FFontName = Font->Name();
  FText = Text;
  SetInt(FItem.data(), FontSize, Font->Size());
  FItem[Bold] = (Font->Style() & fsBold) ? 1 : 0;
  FItem[Italic] = (Font->Style() & fsItalic) ? 1 : 0;
  SetRGB(Color, Font->Color());
  SetFloat(FItem.data(), ScaleX, 1.0L);
  SetFloat(FItem.data(), ScaleY, 1.0L);
  FLibrary.AddPDFItem(Block().data());
}

long double LXPDFTextWidth(const TFont& Font, const std::string& Text) {
  // Hundredths of a point as logical units keep the advances' fractions.
  TLogFont L = Font.LogFont();
  L.Height = -Font.Size() * 100;
  long double Sum = 0;
  for (double A : FontEngine::Advances(L, Utf8ToUtf16(Text))) Sum += A;
  return Sum / 100;
}

uint8_t LXPDFShapeKind(TLXShapeType Type) {
  switch (Type) {
    case lxsCircle: return ShapeEllipse;
    case lxsVertLine: return ShapeVertLine;
    case lxsHorLine: return ShapeHorLine;
    case lxsTopAndBottom: return ShapeTopAndBottom;
    case lxsRightAndLeft: return ShapeRightAndLeft;
    case lxsRoundRect: return ShapeRoundRect;
    default: return ShapeRectangle;
  }
}

void TLXPDFDocumentFilter::AcceptGraphic(long double X, long double Y, TLXPrintable* Control) {
  SetFloat(FItem.data(), ScaleX, 1.0L);
  SetFloat(FItem.data(), ScaleY, 1.0L);
  if (!Control) return;
  // Sizes in device pixels of the report's printer, as the positions are.
  TLXPrinter& Printer = *ReportPrinter();
  const TLXPrintableSize& Size = *Control->Size();
  int W = Printer.XSize(Size.Native(TLXPrintableSize::WidthIndex));
  int H = Printer.YSize(Size.Native(TLXPrintableSize::HeightIndex));
  if (auto* Rule = dynamic_cast<TLXHRule*>(Control)) return SendRule(X, Y, *Rule->Pen(), W, H);
  if (auto* S = dynamic_cast<TLXPDFShape*>(Control))
    return SendShape(X, Y, LXPDFShapeKind(S->ShapeType()), *S->Pen(), *S->Brush(), W, H);
  if (auto* S = dynamic_cast<TLXShape*>(Control))
    return SendShape(X, Y, LXPDFShapeKind(S->Shape()), *S->Pen(), *S->Brush(), W, H);
  auto* Image = dynamic_cast<TLXCustomDBImage*>(Control);
  if (!Image || !Image->Field()) return;
  TPicture Picture;
  LXLoadFieldPicture(Picture, Image->Field());
  if (Picture.Empty()) return;
  // The picture travels at its own pixels and the item's scales draw it into
  // the box the printed page fits it in, so the PDF shows what paper does.
  TRect Box = Rect(0, 0, W, H);
  auto* GrImage = dynamic_cast<TLXGrDBImage*>(Control);
  if (!Image->Stretch()) {
    TLXPictureFit Fit = GrImage ? FitPicture(GrImage->FitMode(), Picture.Width(), Picture.Height(), W, H)
                                : FitPictureInside(Picture.Width(), Picture.Height(), W, H);
    Box = Rect(Fit.DX, Fit.DY, Fit.DX + Fit.W, Fit.DY + Fit.H);
  }
  TBitmap Bitmap(Picture.Width(), Picture.Height());
  if (GrImage && GrImage->ClipImage() && !GrImage->Stretch()) {
    // Unscaled, cut to the box.
    Bitmap.SetSize(Box.Right - Box.Left, Box.Bottom - Box.Top);
    Bitmap.Canvas().Draw(0, 0, *Picture.Graphic());
  } else {
    Bitmap.Canvas().StretchDraw(Rect(0, 0, Bitmap.Width(), Bitmap.Height()), *Picture.Graphic());
  }
  if (Bitmap.Empty()) return;
  WritePictureFile(Bitmap);
  SendPicture(X + Box.Left, Y + Box.Top, Bitmap, Box.Right - Box.Left, Box.Bottom - Box.Top, true);
}

void TLXPDFDocumentFilter::SetPen(const TPen& Pen) {
  SetFloat(FItem.data(), PenWidth, Pen.Width());
  SetRGB(PenColor, Pen.Color());
}

void TLXPDFDocumentFilter::SendRule(long double X, long double Y, const TPen& Pen, long double Width,
                                    long double Height) {
  FItem[Kind] = KindShape;
  FItem[ShapeKind] = ShapeHorLine;
  SetFloat(FItem.data(), LXPDFItem::X, X * FXPoints);
  SetFloat(FItem.data(), LXPDFItem::Y, Y * FYPoints);
  SetPen(Pen);
  SetFloat(FItem.data(), LXPDFItem::Width, Width * FXPoints);
  SetFloat(FItem.data(), LXPDFItem::Height, Height * FYPoints);
  FItem[Filled] = 0;
  FFontName.clear(), FText.clear();
  FLibrary.AddPDFItem(Block().data());
}

void TLXPDFDocumentFilter::SendShape(long double X, long double Y, uint8_t Shape, const TPen& Pen,
                                     const TBrush& Brush, long double Width, long double Height) {
  FItem[Kind] = KindShape;
  FItem[ShapeKind] = Shape;
  SetFloat(FItem.data(), LXPDFItem::X, X * FXPoints);
  SetFloat(FItem.data(), LXPDFItem::Y, Y * FYPoints);
  SetPen(Pen);
  SetRGB(Color, Brush.Color());
  SetFloat(FItem.data(), LXPDFItem::Width, Width * FXPoints);
  SetFloat(FItem.data(), LXPDFItem::Height, Height * FYPoints);
  FItem[Filled] = Brush.Style() == bsClear ? 0 : 1;
  FFontName.clear(), FText.clear();
  FLibrary.AddPDFItem(Block().data());
}

std::string TLXPDFDocumentFilter::WritePictureFile(const TBitmap& Bitmap) {
  if (FPictureFolder.empty()) {
    std::string Pattern = GetTempPath() + "lxpdf-XXXXXX";
    if (!mkdtemp(Pattern.data()))
      throw EInOutError(Format(SLXPDFNoPictureFolder, {GetTempPath(), SysErrorMessage(errno)}));
    FPictureFolder = Pattern;
  }
  char Name[32];
  std::snprintf(Name, sizeof Name, "TF%-6.6d.tmp", FImageCount);
  std::string Path = FPictureFolder + "/" + Name;
  std::vector<uint32_t> Pixels;
  Pixels.reserve(size_t(Bitmap.Width()) * Bitmap.Height());
  for (int Row = 0; Row < Bitmap.Height(); ++Row) {
    const uint32_t* Line = Bitmap.ScanLine(Row);
    for (int Col = 0; Col < Bitmap.Width(); ++Col) Pixels.push_back(Line[Col] & 0xFFFFFF);
  }
  std::string Text = LXPDFPicture::Encode(Pixels.data(), Pixels.size());
  FILE* F = std::fopen(Path.c_str(), "wb");
  if (!F) throw EInOutError(Format(SLXPDFPictureNotWritten, {Path, SysErrorMessage(errno)}));
  errno = 0;
  bool Written = std::fwrite(Text.data(), 1, Text.size(), F) == Text.size();
  int Error = errno;
  Written = std::fclose(F) == 0 && Written;
  if (!Written) throw EInOutError(Format(SLXPDFPictureNotWritten, {Path, SysErrorMessage(Error ? Error : errno ? errno : EIO)}));
  ++FImageCount;
  FPictureFile = Path;
  return Path;
}

void TLXPDFDocumentFilter::SendPicture(long double X, long double Y, const TBitmap& Bitmap, int W, int H,
                                       bool Written) {
  if (Bitmap.Width() <= 0 || Bitmap.Height() <= 0) return;
  FItem[Kind] = KindImage;
  if (!Written) FPictureFile.clear();
  SetFloat(FItem.data(), LXPDFItem::X, X * FXPoints);
  SetFloat(FItem.data(), LXPDFItem::Y, (Y + H) * FYPoints);
  SetFloat(FItem.data(), LXPDFItem::Width, Bitmap.Width() * FXPoints);
  SetFloat(FItem.data(), LXPDFItem::Height, Bitmap.Height() * FYPoints);
  SetInt(FItem.data(), PictureWidth, Bitmap.Width());
  SetInt(FItem.data(), PictureHeight, Bitmap.Height());
  SetFloat(FItem.data(), ScaleX, static_cast<long double>(W) / Bitmap.Width());
  SetFloat(FItem.data(), ScaleY, static_cast<long double>(H) / Bitmap.Height());
  FLibrary.AddImageItem(Block().data(), 0);
}

std::vector<uint8_t> TLXPDFDocumentFilter::Block() const {
  std::vector<uint8_t> B(FItem.begin(), FItem.end());
  auto Put = [&](size_t Slot, const std::string& S) {
    if (S.empty()) return SetInt(B.data(), Slot, 0);
    SetInt(B.data(), Slot, static_cast<int32_t>(B.size()));
    B.insert(B.end(), S.begin(), S.end());
    B.push_back(0);
  };
  Put(FontName, FFontName);
  Put(LXPDFItem::Text, FText);
  Put(PictureFile, FPictureFile);
  SetInt(B.data(), BlockSize, static_cast<int32_t>(B.size()));
  return B;
}

void TLXPDFDocumentFilter::Finish() {
  TFinally BaseFinish([&] {
    RemovePictureFolder();
    TLXPAbstractExportFilter::Finish();
  });
  if (!FOutput) OpenOutput();
  const bool Written = FLibrary.FinishDoc(FStreamed || !FOutput ? FileName() : FOutput->TempFileName());
  if (!FOutput) return;
  if (!Written) NotWritten(FOutput->Error());
  try {
    FOutput->Commit();
  } catch (const EWriteError&) {
    NotWritten(FOutput->Error());
  }
  // The component let go of it with FinishDoc.
  FOutput.reset();
}

void TLXPDFDocumentFilter::RemovePictureFolder() {
  if (FPictureFolder.empty()) return;
  std::error_code Ec;
  std::filesystem::remove_all(FPictureFolder, Ec);
  FPictureFolder.clear();
}
