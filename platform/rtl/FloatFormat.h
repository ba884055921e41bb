#pragma once
// Numbers to text and back under a TFormatSettings value.
#include <string>
#include <string_view>

#include "platform/rtl/FormatSettings.h"

// General format with 15 significant digits: fixed notation while the decimal
// exponent lies between -4 and 15 (0.0001 and 123456789012345 stay fixed,
// 0.00001 is "1E-5", 1E15 is "1E15"), trailing zeros dropped.
std::string FloatToStr(double Value, const TFormatSettings& FS);
std::string FloatToStr(double Value);
// General format with Precision (1 to 18) significant digits: fixed notation while the decimal
// exponent lies between -4 and Precision.
std::string FloatToStrGeneral(double Value, int Precision, const TFormatSettings& FS);
// Money in the settings' currency format with Digits decimals: "R$ 1.234,56", "-R$ 0,50" under
// the default settings (a negative value that rounds to zero shows no sign).
std::string FloatToCurrencyStr(double Value, int Digits, const TFormatSettings& FS);

// Format text with up to three sections "positive;negative;zero". In a
// section: 0 digit or zero, # digit or nothing, . decimal separator,
// , thousands grouping, E+0 E-0 e+0 e-0 exponents, '...' and "..." literal
// text; anything else is copied. An empty format gives FloatToStr.
std::string FormatFloat(std::string_view Format, double Value, const TFormatSettings& FS);
std::string FormatFloat(std::string_view Format, double Value);

// Accepts blanks around, a sign, digits with one decimal separator and an
// exponent. Raises EConvertError ("'x' não é um valor de ponto flutuante válido").
double StrToFloat(std::string_view S, const TFormatSettings& FS);
double StrToFloat(std::string_view S);
bool TryStrToFloat(std::string_view S, double& Value, const TFormatSettings& FS);
bool TryStrToFloat(std::string_view S, double& Value);
