#pragma once
// Text is UTF-8 inside the program; files and streams whose bytes are fixed
// use Windows-1252. These convert at that boundary.
#include <string>
#include <string_view>

// Characters with no Windows-1252 byte become '?'.
std::string Utf8ToWin1252(std::string_view Utf8);
// Invalid UTF-8 input bytes are taken as Windows-1252 bytes, so nothing is lost.
std::string Win1252ToUtf8(std::string_view Bytes);
// Length of the text once converted to Windows-1252.
size_t Win1252Length(std::string_view Utf8);
// Unicode code point of a Windows-1252 byte (undefined bytes map to themselves).
char32_t Win1252ToCodePoint(unsigned char B);
// Windows-1252 byte of a code point, or -1 when it has none.
int CodePointToWin1252(char32_t C);

// UTF-8 helpers shared by the converters.
void AppendUtf8(std::string& Out, char32_t C);
// Decodes one code point at S[I], advancing I; invalid bytes give 0xFFFFFFFF and advance 1.
char32_t NextUtf8(std::string_view S, size_t& I);
std::u16string Utf8ToUtf16(std::string_view S);
std::string Utf16ToUtf8(std::u16string_view S);
