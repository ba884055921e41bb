#pragma once
// Edit masks as text fields and display formats use them: "mask;save literals;blank".
// In the mask: 0 9 # L l A a C c are character slots, "\" makes the next character literal, "_" is
// a blank, "/" and ":" are the date and time separators, ">" and "<" turn the following slots to
// upper or lower case ("<>" ends that), "!" fills missing slots at the start instead of the end;
// anything else is literal.
#include <string>
#include <string_view>

#include "platform/rtl/FormatSettings.h"

// Value put into the mask for display. With the save-literals field "0" Value holds only the slot
// characters and the literals are put in between; otherwise Value already holds the literals where
// the mask has them. Slots Value does not fill show the blank field's character (a blank when none
// is given); characters left over follow at the end. Texts are UTF-8.
std::string FormatMaskText(std::string_view EditMask, std::string_view Value, const TFormatSettings& FS);
std::string FormatMaskText(std::string_view EditMask, std::string_view Value);
