#pragma once
// Letter case of text with accented letters, independent of the C library's
// locale: Latin (Windows-1252 and Latin Extended-A), Greek and Cyrillic.
#include <string>
#include <string_view>

char32_t UpperCaseChar(char32_t C);
char32_t LowerCaseChar(char32_t C);

// UTF-8 text.
std::string AnsiUpperCase(std::string_view S);
std::string AnsiLowerCase(std::string_view S);
bool AnsiSameText(std::string_view A, std::string_view B);

// Windows-1252 bytes (the expression values' storage).
std::string UpperCase1252(std::string_view Bytes);
std::string LowerCase1252(std::string_view Bytes);
unsigned char UpperCase1252(unsigned char B);
unsigned char LowerCase1252(unsigned char B);
