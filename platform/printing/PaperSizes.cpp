#include "platform/printing/PaperSizes.h"

#include <cstdlib>

namespace {
// Inch papers are converted once: Round(inches x 254) tenths of a millimetre.
constexpr int In(double Inches) { return static_cast<int>(Inches * 254.0 + 0.5); }
constexpr int Mm(double Millimetres) { return static_cast<int>(Millimetres * 10.0 + 0.5); }

const TPaperSizeRow Rows[] = {
    {1, "Letter", In(8.5), In(11)},
    {2, "Letter Small", In(8.5), In(11)},
    {3, "Tabloid", In(11), In(17)},
    {4, "Ledger", In(17), In(11)},
    {5, "Legal", In(8.5), In(14)},
    {6, "Statement", In(5.5), In(8.5)},
    {7, "Executive", In(7.25), In(10.5)},
    {8, "A3", Mm(297), Mm(420)},
    {9, "A4", Mm(210), Mm(297)},
    {10, "A4 Small", Mm(210), Mm(297)},
    {11, "A5", Mm(148), Mm(210)},
    {12, "B4 (JIS)", Mm(250), Mm(354)},
    {13, "B5 (JIS)", Mm(182), Mm(257)},
    {14, "Folio", In(8.5), In(13)},
    {15, "Quarto", Mm(215), Mm(275)},
    {16, "10x14", In(10), In(14)},
    {17, "11x17", In(11), In(17)},
    {18, "Note", In(8.5), In(11)},
    {19, "Envelope #9", In(3.875), In(8.875)},
    {20, "Envelope #10", In(4.125), In(9.5)},
    {21, "Envelope #11", In(4.5), In(10.375)},
    {22, "Envelope #12", In(4.75), In(11)},
    {23, "Envelope #14", In(5), In(11.5)},
    {24, "C size sheet", In(17), In(22)},
    {25, "D size sheet", In(22), In(34)},
    {26, "E size sheet", In(34), In(44)},
    {27, "Envelope DL", Mm(110), Mm(220)},
    {28, "Envelope C5", Mm(162), Mm(229)},
    {29, "Envelope C3", Mm(324), Mm(458)},
    {30, "Envelope C4", Mm(229), Mm(324)},
    {31, "Envelope C6", Mm(114), Mm(162)},
    {32, "Envelope C65", Mm(114), Mm(229)},
    {33, "Envelope B4", Mm(250), Mm(353)},
    {34, "Envelope B5", Mm(176), Mm(250)},
    {35, "Envelope B6", Mm(176), Mm(125)},
    {36, "Envelope", Mm(110), Mm(230)},
    {37, "Envelope Monarch", In(3.875), In(7.5)},
    {38, "6 3/4 Envelope", In(3.625), In(6.5)},
    {39, "US Std Fanfold", In(14.875), In(11)},
    {40, "German Std Fanfold", In(8.5), In(12)},
    {41, "German Legal Fanfold", In(8.5), In(13)},
    {42, "B4 (ISO)", Mm(250), Mm(353)},
    {43, "Japanese Postcard", Mm(100), Mm(148)},
    {44, "9x11", In(9), In(11)},
    {45, "10x11", In(10), In(11)},
    {46, "15x11", In(15), In(11)},
    {47, "Envelope Invite", Mm(220), Mm(220)},
    {50, "Letter Extra", In(9.5), In(12)},
    {51, "Legal Extra", In(9.5), In(15)},
    {52, "Tabloid Extra", In(11.69), In(18)},
    {53, "A4 Extra", In(9.27), In(12.69)},
    {54, "Letter Transverse", In(8.5), In(11)},
    {55, "A4 Transverse", Mm(210), Mm(297)},
    {56, "Letter Extra Transverse", In(9.5), In(12)},
    {57, "SuperA/A4", Mm(227), Mm(356)},
    {58, "SuperB/A3", Mm(305), Mm(487)},
    {59, "Letter Plus", In(8.5), In(12.69)},
    {60, "A4 Plus", Mm(210), Mm(330)},
    {61, "A5 Transverse", Mm(148), Mm(210)},
    {62, "B5 (JIS) Transverse", Mm(182), Mm(257)},
    {63, "A3 Extra", Mm(322), Mm(445)},
    {64, "A5 Extra", Mm(174), Mm(235)},
    {65, "B5 (ISO) Extra", Mm(201), Mm(276)},
    {66, "A2", Mm(420), Mm(594)},
    {67, "A3 Transverse", Mm(297), Mm(420)},
    {68, "A3 Extra Transverse", Mm(322), Mm(445)},
    {69, "Japanese Double Postcard", Mm(200), Mm(148)},
    {70, "A6", Mm(105), Mm(148)},
};
}  // namespace

const TPaperSizeRow* FindPaperSize(int Code) {
  for (const auto& R : Rows)
    if (R.Code == Code) return &R;
  return nullptr;
}

bool PaperSizeOfCode(int Code, int& Width, int& Height) {
  const TPaperSizeRow* R = FindPaperSize(Code);
  Width = R ? R->Width : 0;
  Height = R ? R->Height : 0;
  return R != nullptr;
}

int PaperCodeForSize(int Width, int Height, int Tolerance) {
  for (const auto& R : Rows) {
    if (std::abs(R.Width - Width) <= Tolerance && std::abs(R.Height - Height) <= Tolerance) return R.Code;
    if (std::abs(R.Width - Height) <= Tolerance && std::abs(R.Height - Width) <= Tolerance) return R.Code;
  }
  return 0;
}
