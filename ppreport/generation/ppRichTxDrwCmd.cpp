// The rich text draw command, its engine and its rich edit.
#include "ppreport/generation/ppRichTxDrwCmd.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/richtext/RichTextLock.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppUnits.h"

std::unique_ptr<TppRichEdit> CreateRichEdit() {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  return std::make_unique<TppRichEdit>();
}

// ---- engine

namespace {
int Dpi(int V) { return V > 0 ? V : ScreenPixelsPerInch(); }

// Pixels to twips truncating toward zero, in 64 bits so that no rectangle overflows.
int ToTwips(int Pixels, int PerInch) {
  const int64_t T = static_cast<int64_t>(Pixels) * 1440 / PerInch;
  return static_cast<int>(std::clamp<int64_t>(T, INT32_MIN / 2, INT32_MAX / 2));
}

TRect TwipsRect(const TDeviceContext& Dc, const TRect& R) {
  const int X = Dpi(Dc.PixelsPerInchX()), Y = Dpi(Dc.PixelsPerInchY());
  return Rect(ToTwips(R.Left, X) + 45, ToTwips(R.Top, Y), ToTwips(R.Right, X), ToTwips(R.Bottom, Y));
}
}  // namespace

int TppRTFEngine::FormatRange(TppRichEdit& Edit, TDeviceContext& Dc, bool Render, TppCharRange Range,
                              const TRect& Rect, const TDeviceContext* TargetDc) {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  TRichFormatRange F;
  F.Dc = &Dc;
  F.TargetDc = TargetDc ? TargetDc : &Dc;
  F.Rc = TwipsRect(Dc, Rect);
  F.RcPage = F.Rc;
  F.First = Range.First;
  F.Last = Range.Last;
  // Formatting kept from another device or rectangle must not answer for this one.
  Edit.Document().ClearFormatCache();
  TFinally Clear([&] { Edit.Document().ClearFormatCache(); });
  return Edit.FormatRange(F, Render);
}

bool TppRTFEngine::FitRange(TppRichEdit& Edit, TDeviceContext& Dc, int& Height, int& LastChar, const TRect& Rect,
                            TppCharRange Range) {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  if (Range.Last < 0) Range.Last = Edit.Length() - 1;  // to the end
  const int Next = FormatRange(Edit, Dc, false, Range, Rect, &Dc);
  LastChar = Next;
  bool Fits = Next > Range.Last;
  if (Fits) {
    Height = CalcUsedHeight(Edit, Dc, Rect, Range);
    return true;
  }
  LastChar = Next - 1;
  Height = Rect.Bottom - Rect.Top;
  // Only the closing paragraph mark left over: the text itself fitted.
  const int64_t Count = static_cast<int64_t>(Range.Last) - Next + 1;
  const std::u16string Rest = Edit.Document().TextRange(Next, static_cast<int>(std::clamp<int64_t>(Count, 0, 3)));
  if (Rest == u"\r" || Rest == u"\n" || Rest == u"\r\n") Fits = true;
  return Fits;
}

int TppRTFEngine::CalcUsedHeight(TppRichEdit& Edit, TDeviceContext& Dc, const TRect& Rect, TppCharRange Range) {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  // The layout knows where its last line ends: one pass in place of a search by rectangle heights.
  TRichFormatRange F;
  F.Dc = &Dc;
  F.TargetDc = &Dc;
  F.Rc = TwipsRect(Dc, Rect);
  F.RcPage = F.Rc;
  F.First = Range.First;
  F.Last = Range.Last;
  int Bottom = F.Rc.Top;
  Edit.FormatRange(F, false, &Bottom);
  const int64_t Twips = static_cast<int64_t>(Bottom) - F.Rc.Top;
  if (Twips <= 0) return CalcLineHeight(Edit, Dc, Rect, Range);
  const int64_t Px = (Twips * Dpi(Dc.PixelsPerInchY()) + 1439) / 1440;
  return static_cast<int>(std::min<int64_t>(Px, Rect.Bottom - Rect.Top));
}

int TppRTFEngine::CalcLineHeight(TppRichEdit& Edit, TDeviceContext& Dc, const TRect& Rect, TppCharRange Range) {
  (void)Rect;
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  const TRichTextDocument& Doc = Edit.Document();
  const int Length = Doc.Length();
  const int Last = Range.Last < 0 || Range.Last >= Length ? Length - 1 : Range.Last;
  int Largest = 0;
  for (int I = std::max(Range.First, 0); I <= Last; ++I) Largest = std::max(Largest, Doc.CharFormat(I, 1).Size);
  if (Largest == 0) Largest = Doc.CharFormat(std::max(Range.First, 0), 0).Size;
  // Size is in twips: points × 20.
  return static_cast<int>(std::lround(std::abs(Largest) / 20.0 * Dpi(Dc.PixelsPerInchY()) / 72.0));
}

TColorRef TppRTFEngine::SetSelectionBackColor(TppRichEdit& Edit, TColor Color, bool& Flag) {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  Flag = true;
  const TRichCharFormat Old = Edit.SelAttributes();
  TColorRef Previous = Old.AutoBackColor ? 0 : Old.BackColor;
  if (Previous == 0) {
    const TColorRef Text = Old.AutoColor ? 0 : Old.Color;
    if (Text == 0xFFFFFF) {
      Previous = 0;
    } else {
      Previous = 0xFFFFFF;
      if (Text != 0) Flag = false;
    }
  }
  TRichCharFormat F = Old;
  F.AutoBackColor = false;
  F.BackColor = ColorToRGB(Color);
  Edit.SetSelAttributes(F, CFM_BACKCOLOR);
  return Previous;
}

TppRichTextPageFit ppFitRichTextPage(TppRichEdit& Edit, TDeviceContext& Dc, const TRect& Rect, int Start,
                                     bool PageEmpty, bool KeepTogether) {
  std::lock_guard<TCriticalSection> Lock(RichTextLock());
  TppRichTextPageFit Fit;
  const int Last = Edit.Length() - 1;
  Start = std::max(Start, 0);
  if (Start > Last) return Fit;  // nothing (left) to place
  int Height = 0, LastChar = -1;
  if (TppRTFEngine::FitRange(Edit, Dc, Height, LastChar, Rect, {Start, Last})) {
    Fit.StartCharPos = Start;
    Fit.EndCharPos = Last;
    Fit.Height = Height;
    return Fit;
  }
  if (KeepTogether || (LastChar < Start && !PageEmpty)) {
    Fit.NextStart = Start;
    Fit.KeptTogether = KeepTogether;
    return Fit;
  }
  if (LastChar < Start) {
    // Not one line fits an empty page: find the lowest rectangle that takes the first line (doubling,
    // then halving the step), and place that line alone.
    TRect Tall = Rect;
    const auto NextAt = [&](int H) {
      Tall.Bottom = Tall.Top + H;
      return TppRTFEngine::FormatRange(Edit, Dc, false, {Start, Last}, Tall, &Dc);
    };
    int Lo = std::max(0, Rect.Bottom - Rect.Top), Hi = std::max(1, Lo * 2);
    while (Hi < (1 << 24) && NextAt(Hi) <= Start) Lo = Hi, Hi *= 2;
    int Next = NextAt(Hi);
    if (Next <= Start) {
      Next = Last + 1;  // nothing lays out at all: place the rest rather than loop
    } else {
      while (Hi - Lo > 1) {
        const int Mid = Lo + (Hi - Lo) / 2;
        (NextAt(Mid) > Start ? Hi : Lo) = Mid;
      }
      Next = NextAt(Hi);
    }
    LastChar = Next - 1;
    Height = TppRTFEngine::CalcUsedHeight(Edit, Dc, Tall, {Start, LastChar});
  }
  Fit.StartCharPos = Start;
  Fit.EndCharPos = LastChar;
  Fit.Height = Height;
  Fit.NextStart = LastChar < Last ? LastChar + 1 : -1;
  return Fit;
}

// ---- draw command

const TClassInfo& TppDrawRichText::StaticClassInfo() {
  using C = TppDrawRichText;
  static const TClassInfo Info = TClassDef<C>("TppDrawRichText", &TppDrawCommand::StaticClassInfo())
                                     .Prop("Color", &C::Color, &C::SetColor)
                                     .Default(0)
                                     .Prop("EndCharPos", &C::EndCharPos, &C::SetEndCharPos)
                                     .Default(-1)
                                     .Prop("StartCharPos", &C::StartCharPos, &C::SetStartCharPos)
                                     .Default(-1)
                                     .Prop("Transparent", &C::Transparent, &C::SetTransparent)
                                     .Default(0);
  return Info;
}

TppDrawRichText::TppDrawRichText(TComponent* AOwner) : TppDrawCommand(AOwner) { SetDataType(dtBLOB); }

TppDrawRichText::~TppDrawRichText() = default;

void TppDrawRichText::DefineProperties(TFiler* Filer) {
  TppDrawCommand::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "RTFStream",
      [this](TStream& S) {
        int32_t Length = 0;
        if (S.Read(&Length, 4) != 4) throw EReadError(SReadError);
        // A length beyond the bytes present is a damaged stream, not an allocation to make.
        const int64_t Left = S.Size() - S.Position();
        if (Length < 0 || Length > Left) throw EReadError(SReadError);
        std::vector<uint8_t> Bytes(static_cast<size_t>(Length));
        if (Length > 0 && S.Read(Bytes.data(), Length) != Length) throw EReadError(SReadError);
        FRichTextStream.Seek(0, soEnd);
        FRichTextStream.Write(Bytes.data(), Length);
      },
      [this](TStream& S) {
        const auto Length = static_cast<int32_t>(FRichTextStream.Size());
        S.WriteBuffer(&Length, 4);
        if (Length > 0) S.WriteBuffer(FRichTextStream.Memory(), Length);
      },
      true);
}

bool TppDrawRichText::IsEqual(const TppDrawCommand& Other) const {
  const auto* O = dynamic_cast<const TppDrawRichText*>(&Other);
  return O && TppDrawCommand::IsEqual(Other) && FColor == O->FColor && FEndCharPos == O->FEndCharPos &&
         FStartCharPos == O->FStartCharPos && FTransparent == O->FTransparent &&
         FRichTextStream.Bytes() == O->FRichTextStream.Bytes();
}

void TppDrawRichText::Assign(const TPersistent* Source) {
  TppDrawCommand::Assign(Source);
  const auto* S = dynamic_cast<const TppDrawRichText*>(Source);
  if (!S || S == this) return;
  FColor = S->FColor;
  FEndCharPos = S->FEndCharPos;
  FStartCharPos = S->FStartCharPos;
  FTransparent = S->FTransparent;
  // A copy (the page cache's) still names the component that made it, as text commands do.
  SetComponent(S->Component());
  FRichTextStream.Clear();
  if (!S->FRichTextStream.Bytes().empty())
    FRichTextStream.Write(S->FRichTextStream.Memory(), static_cast<int64_t>(S->FRichTextStream.Bytes().size()));
}

namespace {
int BorderPixels(const TppBorder* Border, double PixelsPerInch) {
  if (!Border || !Border->Visible()) return 0;
  const long double W = PixelsPerInch * static_cast<long double>(Border->Weight()) / ppPointsPerInch;
  return W > 0 && W < 1e6 ? static_cast<int>(Round(W)) : 0;
}

// The rectangle with each edge the border has moved in by its width.
TRect Inset(TRect R, const TppBorder* Border, int BorderX, int BorderY) {
  if (!Border || !Border->Visible()) return R;
  if (Border->Has(bpTop)) R.Top += BorderY;
  if (Border->Has(bpLeft)) R.Left += BorderX;
  if (Border->Has(bpRight)) R.Right -= BorderX;
  if (Border->Has(bpBottom)) R.Bottom -= BorderY;
  return R;
}

// The range was measured at the printer's resolution; its height, rounded to this device's pixels
// (and to twips), may come out a few pixels short, which would drop the range's last line.
TRect WithRoundingSlack(TRect R) {
  R.Bottom += 3;
  return R;
}

// Screen bitmaps are the size of the command on screen; none grows past this.
constexpr int64_t MaxScreenBitmapPixels = int64_t(1) << 26;
}  // namespace

void TppDrawRichText::Draw(TppDevice* Device) { DrawOnDevice(Device); }

bool TppDrawRichText::DrawOnDevice(TppDevice* Device) {
  auto* Raster = dynamic_cast<TppRasterDevice*>(Device);
  if (!Raster || (Raster->RasterKind() != rkPrinter && Raster->RasterKind() != rkScreen)) return false;
  std::unique_ptr<TppRichEdit> Edit = CreateRichEdit();
  const auto& Bytes = FRichTextStream.Bytes();
  if (!Bytes.empty()) {
    Edit->SetMaxLength(static_cast<int>(std::min<size_t>(Bytes.size(), INT32_MAX)));
    Edit->LoadFromBytes(std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
  }
  return Raster->RasterKind() == rkPrinter ? DrawOnPrinter(*Raster, *Edit) : DrawOnScreen(*Raster, *Edit);
}

bool TppDrawRichText::DrawOnPrinter(TppRasterDevice& Device, TppRichEdit& Edit) {
  TCanvas* Canvas = Device.DeviceCanvas();
  if (!Canvas || !Canvas->Handle()) return false;
  const TPoint Res = Device.DevicePixelsPerInch();
  const int BorderX = BorderPixels(Border(), Res.X), BorderY = BorderPixels(Border(), Res.Y);
  const TCopyMode Mode = Canvas->CopyMode();
  TFont SavedFont;
  SavedFont.Assign(Canvas->Font());
  TFinally Restore([&] {
    Canvas->SetCopyMode(Mode);
    Canvas->Font().Assign(SavedFont);
  });
  Device.ComputeDrawRect(*this);
  const TRect R = GetDrawRect();
  if (FTransparent) {
    Canvas->SetCopyMode(cmSrcAnd);
  } else {
    Canvas->SetCopyMode(cmSrcCopy);
    Canvas->Brush().SetStyle(bsSolid);
    Canvas->Brush().SetColor(FColor);
    Canvas->FillRect(R);
  }
  Canvas->Brush().SetStyle(bsClear);
  TppRTFEngine::DrawRange(Edit, *Canvas->Handle(), {FStartCharPos, FEndCharPos},
                          WithRoundingSlack(Inset(R, Border(), BorderX, BorderY)));
  Device.DrawBorder(*this, R);
  return true;
}

bool TppDrawRichText::DrawOnScreen(TppRasterDevice& Device, TppRichEdit& Edit) {
  TCanvas* Canvas = Device.DeviceCanvas();
  if (!Canvas) return false;
  Device.ComputeDrawRect(*this);
  const TRect R = GetDrawRect();
  const int W = R.Right - R.Left, H = R.Bottom - R.Top;
  if (W > 0 && H > 0 && static_cast<int64_t>(W) * H <= MaxScreenBitmapPixels) {
    // Laid out in twips, the same lines for every resolution: drawn at the zoomed screen's
    // resolution onto a bitmap of the rectangle's size, then put in place.
    const int Ppi = std::max(1, static_cast<int>(std::lround(ScreenPixelsPerInch() * Device.ScaleX())));
    const int BorderW = BorderPixels(Border(), Ppi);
    TBitmap Bitmap(W, H);
    auto Dc = CreateBitmapDC(Bitmap, Ppi, Ppi);
    TCanvas BitmapCanvas(Dc.get());
    BitmapCanvas.Brush().SetStyle(bsSolid);
    BitmapCanvas.Brush().SetColor(FTransparent ? clWhite : FColor);
    BitmapCanvas.FillRect(Rect(0, 0, W, H));
    BitmapCanvas.Brush().SetStyle(bsClear);
    TppRTFEngine::DrawRange(Edit, *Dc, {FStartCharPos, FEndCharPos},
                            WithRoundingSlack(Inset(Rect(0, 0, W, H), Border(), BorderW, BorderW)));
    // A transparent text's white around the glyphs leaves the page as it was under AND.
    const TCopyMode Mode = Canvas->CopyMode();
    TFinally Restore([&] { Canvas->SetCopyMode(Mode); });
    Canvas->SetCopyMode(FTransparent ? cmSrcAnd : cmSrcCopy);
    Canvas->StretchDraw(R, Bitmap);
  }
  Device.DrawBorder(*this, R);
  return true;
}
