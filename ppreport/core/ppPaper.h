#pragma once
// The built-in paper table: a name and a size for each platform paper code, for drivers that
// report a code without its name or size, and for the "Screen" pseudo printer.
#include <string>

// Code 256: a size of the user's own.
constexpr int ppCustomPaperCode = 256;

// The name of Code as the table writes it (blanks and all); "Custom" for 256, "Unknown" without a row.
std::string BuiltInPaperName(int Code);
// The size of Code in tenths of a millimetre, portrait; 0 x 0 without a row (48, 49, 118, 256).
void BuiltInPaperSize(int Code, int& Width, int& Height);
// "W x H mm" for a size in tenths of a millimetre, each divided by 10 (integer division).
std::string PaperSizeText(int Width, int Height);
