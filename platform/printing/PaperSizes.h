#pragma once
// The Windows paper numbering: paper codes 1..70 with their sizes in tenths of
// a millimetre, portrait. Code 256 is a user-defined size and has no row.
#include <cstdint>
#include <string>

constexpr int DMPAPER_LETTER = 1;
constexpr int DMPAPER_LEGAL = 5;
constexpr int DMPAPER_A3 = 8;
constexpr int DMPAPER_A4 = 9;
constexpr int DMPAPER_A5 = 11;
constexpr int DMPAPER_USER = 256;

struct TPaperSizeRow {
  int Code;
  const char* Name;  // a plain name, e.g. "A4", "Letter", "Envelope #10"
  int Width;         // tenths of a millimetre, portrait
  int Height;
};

// The row of Code, or nullptr (48, 49, 256 and codes past the table have none).
const TPaperSizeRow* FindPaperSize(int Code);
// Size of Code in tenths of a millimetre; false and 0 x 0 without a row.
bool PaperSizeOfCode(int Code, int& Width, int& Height);
// The first code whose portrait size is within Tolerance tenths of W x H
// (either way round); 0 when none.
int PaperCodeForSize(int Width, int Height, int Tolerance = 10);
