#include "platform/graphics/CallLogDC.h"

#include <sstream>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
std::string R4(const TRect& R) {
  return Format("%d,%d,%d,%d", {R.Left, R.Top, R.Right, R.Bottom});
}
std::string Pts(const std::vector<TPoint>& P) {
  std::string S;
  for (size_t I = 0; I < P.size(); ++I) {
    if (I) S += ';';
    S += Format("%d,%d", {P[I].X, P[I].Y});
  }
  return S;
}
std::string Hex(uint32_t V) { return "0x" + IntToHex(V, 1); }
}  // namespace

std::vector<std::string> TCallLogDC::Calls(const std::string& Prefix) const {
  std::vector<std::string> Out;
  for (const auto& L : Log)
    if (L.compare(0, Prefix.size(), Prefix) == 0) Out.push_back(L);
  return Out;
}

void TCallLogDC::SelectPen(const TLogPen& P) {
  FS.Pen = P;
  Add(Format("SelectPen(%d,%d,%s)", {static_cast<int>(P.Style), P.Width, Hex(P.Color)}));
}
void TCallLogDC::SelectBrush(const TLogBrush& B) {
  FS.Brush = B;
  Add(Format("SelectBrush(%d,%s)", {static_cast<int>(B.Style), Hex(B.Color)}));
}
void TCallLogDC::SelectFont(const TLogFont& F) {
  FS.Font = F;
  Add(Format("SelectFont(%s,%d,%d,%d)", {F.FaceName, F.Height, F.Weight, F.Escapement}));
}
void TCallLogDC::SetTextColor(TColorRef C) {
  FS.TextColor = C;
  Add("SetTextColor(" + Hex(C) + ")");
}
void TCallLogDC::SetBkColor(TColorRef C) {
  FS.BkColor = C;
  Add("SetBkColor(" + Hex(C) + ")");
}
void TCallLogDC::SetBkMode(int M) {
  FS.BkMode = M;
  Add(Format("SetBkMode(%d)", {M}));
}
void TCallLogDC::SetTextAlign(uint32_t A) {
  FS.TextAlign = A;
  Add(Format("SetTextAlign(%d)", {static_cast<int>(A)}));
}
void TCallLogDC::SetPolyFillMode(int M) {
  FS.PolyFillMode = M;
  Add(Format("SetPolyFillMode(%d)", {M}));
}
void TCallLogDC::SetROP2(int R) {
  FS.Rop2 = R;
  Add(Format("SetROP2(%d)", {R}));
}
void TCallLogDC::SetStretchBltMode(int M) {
  FS.StretchMode = M;
  Add(Format("SetStretchBltMode(%d)", {M}));
}
void TCallLogDC::SetTextJustification(int E, int C) {
  FS.JustExtra = E;
  FS.JustCount = C;
  Add(Format("SetTextJustification(%d,%d)", {E, C}));
}
void TCallLogDC::SetWorldTransform(const TXForm& X) {
  FS.World = X;
  std::ostringstream O;
  O << "SetWorldTransform(" << X.M11 << "," << X.M12 << "," << X.M21 << "," << X.M22 << "," << X.Dx << "," << X.Dy
    << ")";
  Add(O.str());
}
void TCallLogDC::SetGraphicsMode(int Mode) {
  FS.GraphicsMode = Mode;
  Add(Format("SetGraphicsMode(%d)", {Mode}));
}
int TCallLogDC::SaveDC() {
  Add("SaveDC");
  return FStack.Push(FS);
}
void TCallLogDC::RestoreDC(int Level) {
  FStack.Pop(Level, FS);
  Add(Format("RestoreDC(%d)", {Level}));
}
void TCallLogDC::IntersectClipRect(const TRect& R) { Add("IntersectClipRect(" + R4(R) + ")"); }
void TCallLogDC::ExcludeClipRect(const TRect& R) { Add("ExcludeClipRect(" + R4(R) + ")"); }
void TCallLogDC::SelectClipRegion(const TRegion* Rg, int Mode) {
  std::string S;
  if (Rg)
    for (const auto& R : Rg->Rects) {
      if (!S.empty()) S += ';';
      S += R4(R);
    }
  Add(Format("SelectClipRegion(%s,%d)", {Rg ? S : std::string("nil"), Mode}));
}
void TCallLogDC::MoveTo(int X, int Y) {
  FS.Pos = TPoint{X, Y};
  Add(Format("MoveTo(%d,%d)", {X, Y}));
}
void TCallLogDC::LineTo(int X, int Y) {
  FS.Pos = TPoint{X, Y};
  Add(Format("LineTo(%d,%d)", {X, Y}));
}
void TCallLogDC::Rectangle(const TRect& R) { Add("Rectangle(" + R4(R) + ")"); }
void TCallLogDC::RoundRect(const TRect& R, int W, int H) { Add("RoundRect(" + R4(R) + Format(",%d,%d)", {W, H})); }
void TCallLogDC::Ellipse(const TRect& R) { Add("Ellipse(" + R4(R) + ")"); }
void TCallLogDC::Arc(const TRect& R, TPoint A, TPoint B) { Add("Arc(" + R4(R) + "," + Pts({A, B}) + ")"); }
void TCallLogDC::Pie(const TRect& R, TPoint A, TPoint B) { Add("Pie(" + R4(R) + "," + Pts({A, B}) + ")"); }
void TCallLogDC::Chord(const TRect& R, TPoint A, TPoint B) { Add("Chord(" + R4(R) + "," + Pts({A, B}) + ")"); }
void TCallLogDC::Polygon(const std::vector<TPoint>& P) { Add("Polygon(" + Pts(P) + ")"); }
void TCallLogDC::Polyline(const std::vector<TPoint>& P) { Add("Polyline(" + Pts(P) + ")"); }
void TCallLogDC::PolyPolygon(const std::vector<std::vector<TPoint>>& Ps) {
  std::string S;
  for (const auto& P : Ps) {
    if (!S.empty()) S += '|';
    S += Pts(P);
  }
  Add("PolyPolygon(" + S + ")");
}
void TCallLogDC::PolyBezier(const std::vector<TPoint>& P) { Add("PolyBezier(" + Pts(P) + ")"); }
void TCallLogDC::PolylineTo(const std::vector<TPoint>& P) {
  if (!P.empty()) FS.Pos = P.back();
  Add("PolylineTo(" + Pts(P) + ")");
}
void TCallLogDC::PolyBezierTo(const std::vector<TPoint>& P) {
  if (!P.empty()) FS.Pos = P.back();
  Add("PolyBezierTo(" + Pts(P) + ")");
}
void TCallLogDC::FillRect(const TRect& R, const TLogBrush& B) { Add("FillRect(" + R4(R) + "," + Hex(B.Color) + ")"); }
void TCallLogDC::SetPixel(int X, int Y, TColorRef C) { Add(Format("SetPixel(%d,%d,%s)", {X, Y, Hex(C)})); }
void TCallLogDC::ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                            const int*) {
  Add(Format("ExtTextOut(%d,%d,%s,", {X, Y, Hex(Options)}) + (R ? R4(*R) + "," : std::string()) + "\"" +
      Utf16ToUtf8(Text) + "\")");
}
TTextMetric TCallLogDC::TextMetrics() const { return FontEngine::Metrics(FS.Font); }
void TCallLogDC::StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) {
  Add("StretchDIBits(" + R4(Dest) + "," + R4(Src) + Format(",%dx%d,", {Dib.Width, Dib.Height}) + Hex(Rop) + ")");
}
void TCallLogDC::BeginPath() { Add("BeginPath"); }
void TCallLogDC::EndPath() { Add("EndPath"); }
void TCallLogDC::CloseFigure() { Add("CloseFigure"); }
void TCallLogDC::FillPath() { Add("FillPath"); }
void TCallLogDC::StrokePath() { Add("StrokePath"); }
void TCallLogDC::StrokeAndFillPath() { Add("StrokeAndFillPath"); }
void TCallLogDC::SelectClipPath(int Mode) { Add(Format("SelectClipPath(%d)", {Mode})); }
