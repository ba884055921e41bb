// Feeds arbitrary bytes to the rich text reader (RTF, or plain text), writes
// what it read back as RTF and reads that again; then lays the text out page
// by page on a call-log device.
//
// Findings besides the sanitizers': a document longer than its input (the
// reader keeps at most what it read), a text that our own RTF does not give
// back, RTF that changes when written a second time, and a page that does not
// move on or ranges that do not join up to the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/app/Application.h"
#include "platform/graphics/CallLogDC.h"
#include "platform/richtext/RichEdit.h"

namespace {
void Check(bool Condition) {
  if (!Condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  std::atexit([] { FinalizeApplication(); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Bytes(reinterpret_cast<const char*>(Data), Size);
  TRichEdit A;
  A.LoadFromBytes(Bytes);
  Check(A.Length() <= static_cast<int>(Size));

  const std::string Rtf = A.SaveToBytes();
  TRichEdit B;
  B.LoadFromBytes(Rtf);
  Check(B.Text() == A.Text());
  Check(B.SaveToBytes() == Rtf);

  // Layout: pages of a few lines over a narrow column, at printer resolution.
  // Long texts are cut so a run stays fast; the reader saw them whole.
  if (B.Length() > 2000) B.Document().Replace(2000, -1, u"");
  TCallLogDC Dc(600);
  const int Length = B.Length();
  TRichFormatRange R;
  R.Dc = &Dc;
  R.Rc = R.RcPage = TRect{0, 0, 1 + static_cast<int>(Size % 4000), 2000};
  int First = 0;
  for (int Page = 0; First < Length; ++Page) {
    R.First = First;
    R.Last = Length - 1;
    int Next = B.FormatRange(R, Page % 3 == 0);
    // A page too low for its first line takes nothing; a taller one then must.
    if (Next == First) {
      R.Rc.Bottom = 2000000;
      Next = B.FormatRange(R, false);
      R.Rc.Bottom = 2000;
    }
    Check(Next > First && Next <= Length);
    First = Next;
  }
  Check(First == Length);
  return 0;
}
