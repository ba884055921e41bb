#pragma once
// Writes a document as RTF that this module's reader and other RTF readers
// take back with the same text and character positions: a font table of the
// faces used, a colour table of the colours used, every paragraph with its
// attributes after \pard, runs with their attributes after \plain. Text is
// 7-bit: Windows-1252 characters as \'hh, others as \uN with "?" as fallback.
// Paragraph marks are \par between paragraphs; the last paragraph has none, so
// reading back gives as many characters as were written.
#include <string>

#include "platform/richtext/RichTextDocument.h"

std::string WriteRichText(const TRichTextDocument& Doc);
// The range [Start, Start + Count) as a document of its own (-1: to the end).
std::string WriteRichText(const TRichTextDocument& Doc, int Start, int Count);
