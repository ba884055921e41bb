#pragma once
// Small helpers of the rich text tests: UTF-8 views of the model's UTF-16 text.
#include <string>
#include <string_view>

#include "platform/richtext/RichEdit.h"
#include "platform/rtl/Win1252.h"

inline std::string U8(std::u16string_view S) { return Utf16ToUtf8(S); }
inline std::u16string U16(std::string_view S) { return Utf8ToUtf16(S); }

inline TRichEdit Loaded(std::string_view Bytes) {
  TRichEdit E;
  E.LoadFromBytes(Bytes);
  return E;
}
