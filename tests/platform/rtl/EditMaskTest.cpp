#include "platform/rtl/EditMask.h"

#include <gtest/gtest.h>

TEST(EditMaskTest, FormatsValuesForDisplay) {
  const TFormatSettings FS = BrazilianFormatSettings();
  struct TCase {
    const char* Mask;
    const char* Value;
    const char* Text;
  };
  const TCase Cases[] = {
      {"!\\(999\\)\\ 000\\-0000;0; ", "5551234567", "(555) 123-4567"},
      {"!\\(999\\)\\ 000\\-0000;0; ", "1234567", "(   ) 123-4567"},  // "!": missing slots lead
      {"000\\-00\\-0000;0; ", "123456789", "123-45-6789"},
      {"000\\-00\\-0000;0; ", "12345", "123-45-    "},                // missing slots trail
      {"00000\\-9999;0; ", "123456789", "12345-6789"},
      {"!99/99/00;0; ", "010295", "01/02/95"},                       // "/": the date separator
      {"!90:00:00\\ >LL;0; ", "133055pm", "13:30:55 PM"},            // ">": upper case
      {"!90:00:00\\ >LL;0;_", "1330pm", "__:13:30 PM"},              // the blank field
      {"00000;0; ", "1234567", "1234567"},                            // left over characters follow
      {"(000) 000;1;_", "(555) 12", "(555) 12_"},                     // the value carries the literals
      {"\\Código: >ll;0; ", "ab", "Código: AB"},  // "C" is a slot unless escaped
      {"", "abc", "abc"},
  };
  for (const TCase& C : Cases) EXPECT_EQ(C.Text, FormatMaskText(C.Mask, C.Value, FS)) << C.Mask << " / " << C.Value;
}
