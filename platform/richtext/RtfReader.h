#pragma once
// Reads what reports keep in rich text fields and templates: RTF, or plain text
// when the bytes do not start with "{\rtf".
//
// RTF: the font and colour tables; character attributes (font, size, bold,
// italic, underline, strike-out, colour, background colour); paragraph
// attributes (alignment, indents, spacing before, after and between lines,
// tab stops); \par, \line, \tab, \uN with its fallback, \'hh in Windows-1252.
// Ignorable destinations (\*), pictures, objects, headers, footnotes, field
// instructions and the like are skipped whole; a field shows its result; table
// cells end with a tab and rows with a paragraph mark; hidden text is dropped.
// Text bytes above 127 are Windows-1252, unless the whole input is valid UTF-8
// holding such bytes (a text the program made itself).
//
// Damaged input is read as far as it makes sense and never raises: braces left
// open close at the end, a stray closing brace ends the document. Nothing
// recurses, groups nest at most MaxRtfGroupDepth deep (deeper ones are skipped),
// and what is kept grows at most in proportion to the input.
#include <string_view>

#include "platform/richtext/RichTextDocument.h"

constexpr int MaxRtfGroupDepth = 256;

// Whether the bytes are RTF (start with "{\rtf").
bool IsRtf(std::string_view Bytes);
// Replaces the document's content with what the bytes hold.
void ReadRichText(std::string_view Bytes, TRichTextDocument& Doc);
