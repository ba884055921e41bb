#pragma once
// The messages between the reporter and its dialog program (tarvik_dialog, installed beside the
// program), which shows the reporter's windows in a process of its own: a crashing process cannot
// safely run a window, and widgets belong to one thread. A message is a list of fields, each
//   <name> <byte count>\n<value>\n
// with a name of lower-case letters and digits, ended by the field "end" with an empty value. The
// reporter sends the request (the texts, the options, the rows of the lists) and reads the reply
// (the check boxes, the terminate flag, the typed text). The progress window also reads commands
// while it is open (status, progress, stop).
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using TDialogField = std::pair<std::string, std::string>;
using TDialogMessage = std::vector<TDialogField>;

// The largest message either side accepts (a report text and its lists fit many times over).
inline constexpr size_t DialogMessageLimit = 64u << 20;

std::string EncodeDialogMessage(const TDialogMessage& Fields);

enum class TDialogParse { Complete, NeedMore, Damaged };
// Reads one message from the start of Bytes. Complete: Out holds its fields (without "end") and
// Used the bytes it took. Damaged: Error says what is wrong (bad name, count or separator, a
// message over DialogMessageLimit).
TDialogParse ParseDialogMessage(std::string_view Bytes, TDialogMessage& Out, size_t& Used, std::string& Error);

// The value of the first field Name; Default when there is none.
std::string DialogField(const TDialogMessage& M, std::string_view Name, const std::string& Default = "");
// Every value of the fields Name, in order.
std::vector<std::string> DialogFields(const TDialogMessage& M, std::string_view Name);

// What the dialog program answers.
struct TDialogReply {
  bool Shown = false;  // false: no display; the program wrote the report to its standard error
  bool SendMailChecked = false, AttachScreenshotChecked = false, CopyToClipboardChecked = false;
  bool TerminateRequested = false;
  std::string ReproduceText;
  bool Ready = false;             // the progress window is open
  std::string Status;             // the progress window's last status line
  int Progress = 0;               // and position (0..100)
};
TDialogMessage EncodeDialogReply(const TDialogReply& Reply);
// The reply's fields; raises EReadError naming the field when one is not what the reply allows
// (flags 0 or 1, progress 0..100). Unknown fields are ignored (a newer dialog program).
TDialogReply DecodeDialogReply(const TDialogMessage& M);
