// Language module files: read, written again and read to the same entries; every text then goes
// the way a status line takes it (placeholders, then the format with its arguments).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/classes/Streams.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppLanguageModule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TppLanguageModuleData M;
  try {
    M = ReadLanguageModule(Data, Size);
  } catch (const EReadError&) {
    return 0;
  }
  TMemoryStream S;
  WriteLanguageModule(M, S);
  TppLanguageModuleData Again = ReadLanguageModule(S.Memory(), static_cast<size_t>(S.Size()));
  if (Again.Strings != M.Strings || Again.Bitmaps != M.Bitmaps) std::abort();
  for (const auto& [Id, Text] : M.Strings) {
    std::string Escaped;
    for (char C : Text) Escaped += C == '%' ? std::string("%%") : std::string(1, C);
    try {
      Format(ExpandMessagePlaceholders(Escaped), {"1", "2", "3", "4"});
    } catch (const EConvertError&) {
    }
  }
  return 0;
}
