#pragma once
// The text form of the component stream and the converters both ways:
//   object Name: TClass
//     Prop = 12
//     Font.Name = 'Arial'
//     Items.Strings = (
//       'a'
//       'b')
//     Styles = [fsBold, fsItalic]
//     Columns = <
//       item
//         Width = 1.5
//       end>
//     Data = {0A0B0C}
//     object Child: TOther
//     end
//   end
// Floats are always written and read with "." whatever the locale (never the C locale or
// the program's format settings). Single, currency and date values carry the suffixes
// s, c (the ten-thousandths) and d. Outside printable ASCII, text is written as #code
// (Unicode); raw bytes inside quotes are read as Windows-1252.
#include "platform/classes/Filer.h"

// Damaged text form. A read error, so that every damaged stream raises the same family.
DECLARE_EXCEPTION(EParserError, EReadError)

// Converts one component ("TPF0" and the object) at Input's position.
void ObjectBinaryToText(TStream& Input, TStream& Output);
// Converts one "object ... end" at Input's position into "TPF0" and the component.
void ObjectTextToBinary(TStream& Input, TStream& Output);

enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText };
// Looks at the bytes at the stream's position (which it keeps): "TPF0" or "object" (after blanks).
TStreamOriginalFormat TestStreamFormat(TStream& Stream);
