#include "ppreport/core/ppPaper.h"

#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"

namespace {
enum TppPaperUnit : char { puNone, puMM, puInch };

struct TppPaperRow {
  int Code;
  const char* Name;  // as drivers of the platform name them, quirks kept: stored reports match them
  TppPaperUnit Unit;
  float Width;  // in Unit, portrait
  float Height;
};

// clang-format off
constexpr TppPaperRow PaperRows[] = {
    {1, "Letter 8 1/2 x 11 in", puInch, 8.5f, 11},
    {2, "Letter 8 1/2 x 11 in", puInch, 8.5f, 11},
    {3, "Tabloid 11 x 17 in", puInch, 11, 17},
    {4, "Ledger 17 x 11 in", puInch, 17, 11},
    {5, "Legal 8 12 x 14 in", puInch, 8.5f, 14},
    {6, "Statement 5 1/2 x 8 12 in", puInch, 5.5f, 8.5f},
    {7, "Executive 7 14 x 10 1/2 in", puInch, 7.25f, 10.5f},
    {8, "A3 297 x 420 mm", puMM, 297, 420},
    {9, "A4 210 x 297 mm", puMM, 210, 297},
    {10, "A4 Small 210 x 297 mm", puMM, 210, 297},
    {11, "A5 148 x 210 mm", puMM, 148, 210},
    {12, "B4 (JIS) 250 x 354", puMM, 250, 354},
    {13, "B5 (JIS) 182 x 257 mm", puMM, 182, 257},
    {14, "Folio 8 1/2 x 13 in", puInch, 8.5f, 13},
    {15, "Quarto 215 x 275 mm", puMM, 215, 275},
    {16, "10 x 14 in", puInch, 10, 14},
    {17, "11 x 17 in", puInch, 11, 17},
    {18, "Note 8 1/2 x 11 in", puInch, 8.5f, 11},
    {19, "Envelope #9 3 7/8 x 8 7/8", puInch, 3.875f, 8.875f},
    {20, "Envelope #10 4 18 x 9 1/2", puInch, 4.125f, 9.5f},
    {21, "Envelope #11 4 12 x 10 3/8", puInch, 4.5f, 10.375f},
    {22, "Envelope #12 4 276 x 11", puInch, 4.75f, 11},
    {23, "Envelope #14 5 x 11 1/2", puInch, 5, 11.5f},
    {24, "C size sheet", puInch, 17, 22},
    {25, "D size sheet", puInch, 22, 34},
    {26, "E size sheet", puInch, 34, 44},
    {27, "Envelope DL 110 x 220mm", puMM, 110, 220},
    {28, "Envelope C5 162 x 229 mm", puMM, 162, 229},
    {29, " Envelope C3  324 x 458 mm", puMM, 324, 458},
    {30, "Envelope C4  229 x 324 mm", puMM, 229, 324},
    {31, "Envelope C6  114 x 162 mm", puMM, 114, 162},
    {32, "Envelope C65 114 x 229 mm", puMM, 114, 229},
    {33, "Envelope B4  250 x 353 mm", puMM, 250, 353},
    {34, "Envelope B5  176 x 250 mm", puMM, 176, 250},
    {35, "Envelope B6  176 x 125 mm", puMM, 176, 125},
    {36, "Envelope 110 x 230 mm", puMM, 110, 230},
    {37, "Envelope Monarch 3.875 x 7.5 in", puInch, 3.875f, 7.5f},
    {38, "6 34 Envelope 3 5/8 x 6 1/2 in", puInch, 3.625f, 6.5f},
    {39, "US Std Fanfold 14 7/8 x 11 in", puInch, 14.875f, 11},
    {40, "German Std Fanfold 8 1/2 x 12 in", puInch, 8.5f, 12},
    {41, "German Legal Fanfold 8 1/2 x 13 in", puInch, 8.5f, 13},
    {42, "B4 (ISO) 250 x 353 mm", puMM, 250, 353},
    {43, "Japanese Postcard 100 x 148 mm", puMM, 100, 148},
    {44, "9 x 11 in", puInch, 9, 11},
    {45, "10 x 11 in", puInch, 10, 11},
    {46, "15 x 11 in", puInch, 15, 11},
    {47, "Envelope Invite 220 x 220 mm", puMM, 220, 220},
    // The Letter Extra papers keep the width stored reports were laid out on (9.275 in).
    {50, "Letter Extra 9 \\275 x 12 in", puInch, 9.275f, 12},
    {51, "Legal Extra 9 \\275 x 15 in", puInch, 9.5f, 15},
    {52, "Tabloid Extra 11.69 x 18 in", puInch, 11.69f, 18},
    {53, "A4 Extra 9.27 x 12.69 in", puInch, 9.27f, 12.69f},
    {54, "Letter Transverse 8 \\275 x 11 in", puInch, 8.5f, 11},
    {55, "A4 Transverse 210 x 297 mm", puMM, 210, 297},
    {56, "Letter Extra Transverse 9\\275 x 12 in", puInch, 9.275f, 12},
    {57, "SuperASuperAA4 227 x 356 mm", puMM, 227, 356},
    {58, "SuperBSuperBA3 305 x 487 mm", puMM, 305, 487},
    {59, "Letter Plus 8.5 x 12.69 in", puInch, 8.5f, 12.69f},
    {60, "A4 Plus 210 x 330 mm", puMM, 210, 330},
    {61, "A5 Transverse 148 x 210 mm", puMM, 148, 210},
    {62, "B5 (JIS) Transverse 182 x 257 mm", puMM, 182, 257},
    {63, "A3 Extra 322 x 445 mm", puMM, 322, 445},
    {64, "A5 Extra 174 x 235 mm", puMM, 174, 235},
    {65, "B5 (ISO) Extra 201 x 276 mm", puMM, 201, 276},
    {66, "A2 420 x 594 mm", puMM, 420, 594},
    {67, "A3 Transverse 297 x 420 mm", puMM, 297, 420},
    {68, "A3 Extra Transverse 322 x 445 mm", puMM, 322, 445},
    {118, "DMPAPER_A3_EXTRA_TRANSVERSE", puNone, 0, 0},
    {ppCustomPaperCode, "Custom", puNone, 0, 0},
};
// clang-format on

const TppPaperRow* FindPaperRow(int Code) {
  for (const TppPaperRow& R : PaperRows)
    if (R.Code == Code) return &R;
  return nullptr;
}

// An inch length in tenths of a millimetre the way the unit conversions count it: through whole
// screen pixels, then to the nearest tenth.
int InchesToTenths(float Inches, int Axis) {
  int32_t Pixels = ConvertToScreenPixels(utInches, Axis, nullptr, Inches);
  int32_t Microns = ConvertToMicrons(utScreenPixels, Axis, nullptr, static_cast<float>(Pixels));
  return static_cast<int>(Round(Microns / 100.0L));
}

int ToTenths(TppPaperUnit Unit, float Value, int Axis) {
  switch (Unit) {
    case puMM: return static_cast<int>(Round(Value * 10.0L));
    case puInch: return InchesToTenths(Value, Axis);
    case puNone: break;
  }
  return 0;
}
}  // namespace

std::string BuiltInPaperName(int Code) {
  const TppPaperRow* R = FindPaperRow(Code);
  return R ? R->Name : "Unknown";
}

void BuiltInPaperSize(int Code, int& Width, int& Height) {
  const TppPaperRow* R = FindPaperRow(Code);
  Width = R ? ToTenths(R->Unit, R->Width, ppHorizontal) : 0;
  Height = R ? ToTenths(R->Unit, R->Height, ppVertical) : 0;
}

std::string PaperSizeText(int Width, int Height) {
  return std::to_string(Width / 10) + " x " + std::to_string(Height / 10) + " mm";
}
