#pragma once
// Conversions of a stored value, shared by fields and parameters.
#include "platform/data/DB.h"

namespace dbconv {

TDbCell CellOf(const TDbValue& V);
// Null -> "", numbers in the display format, text and blobs as their bytes.
std::string Text(const TDbCell& C);
// Null -> 0; floats rounded; text through StrToInt (EConvertError).
int64_t Integer(const TDbCell& C);
// Null -> 0; text in database form ("1.5") or as the settings write it (EConvertError).
double Float(const TDbCell& C);
// Null -> false; numbers are true when not 0; text "true"/"t"/"yes"/"y"/"1" and
// their opposites, any case (EConvertError for other text).
bool Boolean(const TDbCell& C);
// Null -> 0; numbers are day counts; text is ISO (EConvertError).
TDateTime DateTime(const TDbCell& C);

}  // namespace dbconv
