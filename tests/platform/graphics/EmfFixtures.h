#pragma once
// EMF files the player tests build, shared with the fuzzer's seed writer
// (fuzz/EmfSeeds.cpp): files as other programs write them, and a recorded page.
#include <array>
#include <string>
#include <vector>

#include "EmfTestUtil.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Jpeg.h"

namespace emftest {
constexpr uint32_t Stock = 0x80000000;

// EXTCREATEFONTINDIRECTW: Face at Height logical units, turned by Escapement
// (and as much orientation).
inline void AddFont(TEmfBuilder& E, uint32_t Handle, int Height, int Escapement, const std::string& Face = "Arial") {
  size_t At = E.Start(82);
  for (uint32_t V : {Handle, uint32_t(Height), 0u, uint32_t(Escapement), uint32_t(Escapement), 400u, 0u}) E.U32(V);
  for (size_t I = 0; I < 32; ++I) E.U16(I < Face.size() ? uint16_t(Face[I]) : 0);
  E.Finish(At);
}

// EXTTEXTOUTW at logical (X, Y) without advances, as other writers make it.
inline void AddText(TEmfBuilder& E, uint32_t GraphicsMode, int X, int Y, const std::string& Text) {
  size_t At = E.Start(84);
  for (uint32_t V : {0u, 0u, 0u, 0u, GraphicsMode, 0u, 0u, uint32_t(X), uint32_t(Y), uint32_t(Text.size()), 76u, 0u,
                     0u, 0u, 0u, 0u, 0u})
    E.U32(V);
  for (char C : Text) E.U16(uint16_t(C));
  E.Finish(At);
}

// A file as another program writes it: an anisotropic mapping of 1000 logical
// units onto 96 pixels, an ANSI text record and a bottom-up 2 x 2 DIB.
inline std::vector<uint8_t> ForeignEmf() {
  TEmfBuilder E(2540, 2540);  // one inch: 96 reference pixels
  E.Rec(70, {4, 0x12345678});                  // GDICOMMENT, skipped
  E.Rec(17, {8});                              // SETMAPMODE MM_ANISOTROPIC
  E.Rec(9, {1000, 1000});                      // SETWINDOWEXTEX
  E.Rec(11, {96, 96});                         // SETVIEWPORTEXTEX
  E.Rec(39, {1, 0, 0x000000, 0});              // CREATEBRUSHINDIRECT #1 solid black
  E.Rec(37, {1});                              // SELECTOBJECT #1
  E.Rec(37, {Stock | 8});                      // SELECTOBJECT NULL_PEN
  E.Rec(43, {0, 0, 251, 251});                 // RECTANGLE: pixels (0,0)-(24,24), pen-less so 0..22
  E.Rec(250, {1, 2, 3});                       // a record type nobody knows
  E.Rec(48, {Stock | 15});                     // SELECTPALETTE DEFAULT_PALETTE
  E.Rec(52, {});                               // REALIZEPALETTE
  // BITBLT with PATCOPY and no bitmap, as GDI records FillRect: logical (0,800)-(200,1000).
  E.Rec(76, {0, 0, 0, 0, 0, 800, 200, 200, 0x00F00021, 0, 0, 0x3F800000, 0, 0, 0x3F800000, 0, 0, 0, 0, 0, 0, 0, 0});
  // STRETCHDIBITS into logical (500,0)-(1000,500): pixels (48,0)-(96,48).
  size_t At = E.Start(81);
  for (uint32_t V : {0u, 0u, 0u, 0u, 500u, 0u, 0u, 0u, 2u, 2u, 80u, 40u, 120u, 16u, 0u, 0x00CC0020u, 500u, 500u})
    E.U32(V);
  for (uint32_t V : {40u, 2u, 2u}) E.U32(V);  // BITMAPINFOHEADER: size, width, height (bottom-up)
  E.U16(1);
  E.U16(24);
  for (uint32_t V : {0u, 16u, 0u, 0u, 0u, 0u}) E.U32(V);
  // Bottom row first: red, green; then the top row: blue, white. Rows padded to 4 bytes.
  for (uint8_t Byte : {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0}) E.Bytes().push_back(Byte);
  E.Finish(At);
  AddFont(E, 2, -200, 0);  // Arial, 19 pixels
  E.Rec(37, {2});
  E.Rec(24, {0x0000FF});  // SETTEXTCOLOR red
  E.Rec(18, {1});         // SETBKMODE TRANSPARENT
  // EXTTEXTOUTA "Hi" at logical (0, 600) without advances.
  At = E.Start(83);
  for (uint32_t V : {0u, 0u, 0u, 0u, 1u, 0u, 0u, 0u, 600u, 2u, 76u, 0u, 0u, 0u, 0u, 0u, 0u}) E.U32(V);
  E.Raw("Hi");
  E.Finish(At);
  return E.Done();
}

// Clip art as other programs write it: 1446 x 1420 logical units framed as
// 14.46 x 14.20 mm on a 1024 x 768 screen of 270 x 203 mm, the mapping given
// as records of two fields, then Square filled black without a pen.
using TRec = std::array<uint32_t, 3>;  // type and two fields
inline std::vector<uint8_t> ClipArtEmf(const std::vector<TRec>& Mapping, const TRect& Square) {
  TEmfBuilder E(Rect(0, 0, 1446, 1420), 1024, 768, 270, 203);
  for (const TRec& R : Mapping) E.Rec(R[0], {R[1], R[2]});
  E.Rec(39, {1, 0, 0, 0});  // black brush, no pen
  E.Rec(37, {1});
  E.Rec(37, {Stock | 8});
  E.Rec(43, {uint32_t(Square.Left), uint32_t(Square.Top), uint32_t(Square.Right), uint32_t(Square.Bottom)});
  return E.Done();
}

// Emf with a description straight after the 88-byte header, as older writers
// put it: the header record grows past 108 bytes with text where the
// extensions' fields would be.
inline std::vector<uint8_t> WithDescription(std::vector<uint8_t> Emf, const std::u16string& Text) {
  std::vector<uint8_t> Desc;
  for (char16_t C : Text) Desc.insert(Desc.end(), {uint8_t(C), uint8_t(C >> 8)});
  while (Desc.size() % 4) Desc.push_back(0);
  Emf.insert(Emf.begin() + 88, Desc.begin(), Desc.end());
  auto Put = [&Emf](size_t At, uint32_t V) { std::memcpy(&Emf[At], &V, 4); };
  Put(4, uint32_t(88 + Desc.size()));  // the header record's size
  Put(48, uint32_t(Emf.size()));       // the file's
  Put(60, uint32_t(Text.size()));      // nDescription
  Put(64, 88);                         // offDescription
  return Emf;
}

// A chart's axis title: 1000 logical units over 96 reference pixels with the y
// axis up (or the x axis to the left), "Eixo" in Arial 200 units high, turned
// by Escapement, from logical (300, 300) (with x to the left, (500, 300)).
inline std::vector<uint8_t> TurnedTextEmf(uint32_t GraphicsMode, bool FlipX, int Escapement) {
  TEmfBuilder E(2540, 2540);
  E.Rec(17, {8});  // MM_ANISOTROPIC
  if (FlipX) {
    E.Rec(9, {uint32_t(-1000), 1000});
    E.Rec(12, {96, 0});
  } else {
    E.Rec(9, {1000, uint32_t(-1000)});
    E.Rec(12, {0, 96});
  }
  E.Rec(11, {96, 96});
  AddFont(E, 1, -200, Escapement);
  E.Rec(37, {1});
  E.Rec(18, {1});  // TRANSPARENT
  AddText(E, GraphicsMode, FlipX ? 500 : 300, 300, "Eixo");
  return E.Done();
}

// Pattern brushes as drawing programs write them: a 2 x 2 DIB checker of blue
// and red over (0, 0)-(40, 40), and an 8 x 8 monochrome pattern, its left half
// black (the text colour, green) and its right half white (the background
// colour, yellow), over (48, 0)-(88, 40). Pen-less rectangles.
inline std::vector<uint8_t> PatternBrushEmf() {
  TEmfBuilder E(2540, 2540);
  size_t At = E.Start(94);  // CREATEDIBPATTERNBRUSHPT: handle, usage, offBmi, cbBmi, offBits, cbBits
  for (uint32_t V : {1u, 0u, 32u, 40u, 72u, 16u, 40u, 2u, 2u}) E.U32(V);
  E.U16(1);
  E.U16(24);
  for (uint32_t V : {0u, 16u, 0u, 0u, 0u, 0u}) E.U32(V);
  // Bottom row first: red, blue; then the top row: blue, red.
  for (uint8_t Byte : {0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0}) E.Bytes().push_back(Byte);
  E.Finish(At);
  At = E.Start(93);  // CREATEMONOBRUSH, the same fields
  for (uint32_t V : {2u, 0u, 32u, 48u, 80u, 32u, 40u, 8u, 8u}) E.U32(V);
  E.U16(1);
  E.U16(1);
  for (uint32_t V : {0u, 32u, 0u, 0u, 2u, 0u, 0x000000u, 0xFFFFFFu}) E.U32(V);
  for (int Row = 0; Row < 8; ++Row) E.U32(0x0F);  // 0000 1111: black on the left
  E.Finish(At);
  E.Rec(37, {Stock | 8});  // NULL_PEN
  E.Rec(37, {1});
  E.Rec(43, {0, 0, 41, 41});
  E.Rec(24, {0x00FF00});  // SETTEXTCOLOR green
  E.Rec(25, {0x00FFFF});  // SETBKCOLOR yellow
  E.Rec(37, {2});
  E.Rec(43, {48, 0, 89, 41});
  return E.Done();
}

// "IIIIIIII" in 10-point Arial at (5, 5) on a one-inch picture, no advances.
inline std::vector<uint8_t> PlainTextEmf() {
  TEmfBuilder E(2540, 2540);
  AddFont(E, 1, -13, 0);
  E.Rec(37, {1});
  E.Rec(18, {1});
  AddText(E, 1, 5, 5, "IIIIIIII");
  return E.Done();
}

// A page with text in several fonts and alignments, lines, shapes, a bitmap and a JPEG.
inline void DrawFixturePage(TCanvas& C, TBitmap& Bmp, TJPEGImage& Jpg) {
  C.Brush().SetColor(clWhite);
  C.Font().SetName("Arial");
  C.Font().SetSize(10);
  C.Font().SetStyle(fsBold);
  C.TextOut(10, 10, "Relatório de Vendas");
  C.Font().SetName("Times New Roman");
  C.Font().SetSize(12);
  C.Font().SetStyle(fsItalic);
  C.Brush().SetStyle(bsClear);
  C.SetTextAlign(TA_RIGHT | TA_TOP);
  C.TextOut(390, 10, "Página 1 de 3");
  C.SetTextAlign(TA_CENTER | TA_BASELINE);
  C.Font().SetStyle(fsUnderline);
  C.TextOut(200, 60, "Título centrado");
  C.SetTextAlign(TA_LEFT | TA_TOP);
  C.Font().SetName("Courier New");
  C.Font().SetSize(9);
  C.Font().SetStyle(0);
  C.Font().SetColor(clNavy);
  C.Brush().SetColor(clYellow);
  C.TextRect(Rect(10, 70, 120, 85), 12, 71, "Total: 1.234,56 recortado");
  C.Brush().SetStyle(bsClear);
  TRect Box = Rect(10, 95, 150, 160);
  C.DrawText("Um texto longo que quebra em várias linhas dentro da caixa", Box, DT_WORDBREAK | DT_CENTER);
  C.Pen().SetWidth(1);
  C.MoveTo(10, 170);
  C.LineTo(390, 170);
  C.Pen().SetWidth(3);
  C.Pen().SetColor(clMaroon);
  C.MoveTo(10, 180);
  C.LineTo(200, 220);
  C.Pen().SetWidth(1);
  C.Pen().SetStyle(psDash);
  C.Pen().SetColor(clBlack);
  C.Rectangle(160, 90, 260, 160);
  C.Pen().SetStyle(psSolid);
  C.Brush().SetColor(clAqua);
  C.Ellipse(270, 90, 390, 160);
  C.Brush().SetColor(clLime);
  C.RoundRect(220, 180, 300, 230, 20, 20);
  C.Polygon({Point(310, 180), Point(390, 230), Point(310, 230)});
  C.StretchDraw(Rect(10, 230, 74, 262), Bmp);
  C.StretchDraw(Rect(90, 230, 170, 290), Jpg);
}

inline void FixtureGraphics(TBitmap& Bmp, TJPEGImage& Jpg) {
  Bmp.SetSize(16, 8);
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 16; ++X) Bmp.ScanLine(Y)[X] = 0xFF000000u | ((X * 16) << 16) | ((Y * 32) << 8) | 0x40;
  TBitmap Src(40, 30);
  for (int Y = 0; Y < 30; ++Y)
    for (int X = 0; X < 40; ++X) Src.ScanLine(Y)[X] = 0xFF000000u | ((X * 6) << 16) | ((255 - Y * 8) << 8) | 0x80;
  Jpg.CompressFrom(Src, 92);
}
}  // namespace emftest
