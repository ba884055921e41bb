// Report data through the barcode encoders. A six-byte header picks the settings (symbology,
// check digit and auto-encoding bits, resolution, bar width, wide ratio, add-on length), then come the
// add-on and the data. The encoders need no start-up.
//
// Either a symbol comes out (only module characters, no longer than the limit, and the same symbol
// again from its rewritten data) or EBarCodeError; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ppreport/generation/ppBarCodDrwCmd.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

void CheckPattern(const std::string& Pattern, TppBarCodeType Type) {
  Check(Pattern.size() <= ppMaxBarCodePattern);
  for (char C : Pattern) Check(C == '0' || C == '1' || (C == '2' && Type == bcPostnet));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size) {
  if (Size < 6) return 0;
  TppBarCodeSettings S;
  S.BarCodeType = static_cast<TppBarCodeType>(Bytes[0] % 11);
  S.CalcCheckDigit = Bytes[1] & 1;
  S.AutoEncode = Bytes[1] & 2;
  S.Dpi = (Bytes[1] & 4) ? Bytes[2] * 10 : Bytes[2];  // up to 2550 dpi
  S.BarWidth = Bytes[3] / 1000.0f;                    // up to 0.255 inch
  S.WideBarRatio = Bytes[4] / 10.0f;
  const size_t AddOnLength = Bytes[5] % 8 < Size - 6 ? Bytes[5] % 8 : Size - 6;
  const std::string AddOn(reinterpret_cast<const char*>(Bytes + 6), AddOnLength);
  const std::string Data(reinterpret_cast<const char*>(Bytes + 6 + AddOnLength), Size - 6 - AddOnLength);

  try {
    CheckPattern(ppEncodeAddOn(AddOn, S), S.BarCodeType);
  } catch (const EBarCodeError&) {
  }

  TppBarCodeSymbol Symbol;
  try {
    Symbol = ppEncodeSymbol(Data, S);
  } catch (const EBarCodeError& E) {
    Check(!E.Message().empty());
    return 0;
  }
  CheckPattern(Symbol.Pattern, S.BarCodeType);
  // Every measure and paint encodes the rewritten data again: it must give the same symbol.
  const TppBarCodeSymbol Again = ppEncodeSymbol(Symbol.Data, S);
  Check(Again.Data == Symbol.Data && Again.Pattern == Symbol.Pattern);
  if (S.BarCodeType == bcCode128) {
    ppCode128HumanReadable(Symbol.Data);
    if (S.AutoEncode) Check(ppAutoEncode128(Symbol.Data) == Symbol.Data);
  } else {
    ppCheckBarCodeData(S.BarCodeType, Symbol.Data, S.CalcCheckDigit);
  }
  return 0;
}
