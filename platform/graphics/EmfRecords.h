#pragma once
// Enhanced-metafile record types. EMF_RECORDS is the one list the player's
// dispatch is generated from: X(Name, Type).
#include <cstdint>

#define EMF_RECORDS(X)             \
  X(Header, 1)                     \
  X(PolyBezier, 2)                 \
  X(Polygon, 3)                    \
  X(Polyline, 4)                   \
  X(PolyBezierTo, 5)               \
  X(PolylineTo, 6)                 \
  X(PolyPolyline, 7)               \
  X(PolyPolygon, 8)                \
  X(SetWindowExtEx, 9)             \
  X(SetWindowOrgEx, 10)            \
  X(SetViewportExtEx, 11)          \
  X(SetViewportOrgEx, 12)          \
  X(Eof, 14)                       \
  X(SetPixelV, 15)                 \
  X(SetMapMode, 17)                \
  X(SetBkMode, 18)                 \
  X(SetPolyFillMode, 19)           \
  X(SetROP2, 20)                   \
  X(SetStretchBltMode, 21)         \
  X(SetTextAlign, 22)              \
  X(SetTextColor, 24)              \
  X(SetBkColor, 25)                \
  X(MoveToEx, 27)                  \
  X(SetMetaRgn, 28)                \
  X(ExcludeClipRect, 29)           \
  X(IntersectClipRect, 30)         \
  X(ScaleViewportExtEx, 31)        \
  X(ScaleWindowExtEx, 32)          \
  X(SaveDC, 33)                    \
  X(RestoreDC, 34)                 \
  X(SetWorldTransform, 35)         \
  X(ModifyWorldTransform, 36)      \
  X(SelectObject, 37)              \
  X(CreatePen, 38)                 \
  X(CreateBrushIndirect, 39)       \
  X(DeleteObject, 40)              \
  X(Ellipse, 42)                   \
  X(Rectangle, 43)                 \
  X(RoundRect, 44)                 \
  X(Arc, 45)                       \
  X(Chord, 46)                     \
  X(Pie, 47)                       \
  X(SelectPalette, 48)             \
  X(LineTo, 54)                    \
  X(SetArcDirection, 57)           \
  X(BeginPath, 59)                 \
  X(EndPath, 60)                   \
  X(CloseFigure, 61)               \
  X(FillPath, 62)                  \
  X(StrokeAndFillPath, 63)         \
  X(StrokePath, 64)                \
  X(SelectClipPath, 67)            \
  X(GdiComment, 70)                \
  X(ExtSelectClipRgn, 75)          \
  X(BitBlt, 76)                    \
  X(StretchBlt, 77)                \
  X(StretchDIBits, 81)             \
  X(ExtCreateFontIndirectW, 82)    \
  X(ExtTextOutA, 83)               \
  X(ExtTextOutW, 84)               \
  X(PolyBezier16, 85)              \
  X(Polygon16, 86)                 \
  X(Polyline16, 87)                \
  X(PolyBezierTo16, 88)            \
  X(PolylineTo16, 89)              \
  X(PolyPolyline16, 90)            \
  X(PolyPolygon16, 91)             \
  X(RealizePalette, 52)            \
  X(CreateMonoBrush, 93)           \
  X(CreateDIBPatternBrushPt, 94)   \
  X(ExtCreatePen, 95)              \
  X(SmallTextOut, 108)             \
  X(SetTextJustification, 120)

enum class TEmr : uint32_t {
#define EMF_ENUM(Name, Type) Name = Type,
  EMF_RECORDS(EMF_ENUM)
#undef EMF_ENUM
};

constexpr uint32_t EmfStockObject = 0x80000000;
constexpr uint32_t WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
                   NULL_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, OEM_FIXED_FONT = 10,
                   ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14,
                   DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19;
constexpr int MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
              MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
