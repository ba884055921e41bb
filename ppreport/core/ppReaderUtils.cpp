#include "ppreport/core/ppReaderUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/RtlMath.h"

bool TppHReaderUtils::FindProperty(TReader& Reader, std::string_view Name) {
  while (!Reader.EndOfList()) {
    if (Reader.ReadStr() == Name) return true;
    Reader.SkipValue();
  }
  return false;
}

std::string TppHReaderUtils::PeekIdentProperty(TReader& Reader, std::string_view Name) {
  TFinally Back([&Reader, Start = Reader.Position()] { Reader.SetPosition(Start); });
  if (!FindProperty(Reader, Name) || Reader.NextValue() != vaIdent) return {};
  std::string Ident = Reader.ReadIdent();
  size_t Dot = Ident.rfind('.');
  return Dot == std::string::npos ? Ident : Ident.substr(Dot + 1);
}

void TppHReaderUtils::DefineMicrons(TFiler& Filer, const char* Name, int32_t& Field, const int32_t* Ancestor) {
  const int32_t Mine = Field;
  Filer.DefineProperty(
      Name, [&Field](TReader& R) { Field = ReadIntegerOrFloat(R); }, [Mine](TWriter& W) { W.WriteInteger(Mine); },
      !Ancestor || *Ancestor != Mine);
}

int32_t TppHReaderUtils::ReadIntegerOrFloat(TReader& Reader) {
  switch (Reader.NextValue()) {
    case vaExtended:
    case vaSingle:
    case vaCurrency:
    case vaDate: {
      // Lengths stored as floats by old versions: the nearest integer, as every other length read.
      return static_cast<int32_t>(std::clamp<int64_t>(Round(Reader.ReadFloat()), std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
    }
    default: return Reader.ReadInteger();
  }
}
