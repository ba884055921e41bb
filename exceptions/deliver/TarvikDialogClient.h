#pragma once
// The reporter's windows shown by its dialog program (tarvik_dialog, beside the program): the
// exception dialog, the request for the steps to reproduce and the SMTP progress window. The
// program gets its texts and options through a socket on its standard input and output and
// answers with the check boxes, the terminate flag and the typed text (TarvikDialogProtocol.h).
// Any thread may ask, a fatal signal's report too: nothing of the crashing process draws.
#include <cstdint>
#include <optional>
#include <string>

#include "exceptions/deliver/TarvikDialogProtocol.h"
#include "exceptions/deliver/TarvikPipelineHooks.h"

// The dialog program: SetDialogProgramPath's, else "tarvik_dialog" in the running program's folder.
std::string DialogProgramPath();
void SetDialogProgramPath(const std::string& Path);

// One run of the dialog program. The constructor starts it and sends Request; raises EInOutError
// when it cannot start.
class TDialogProgram {
public:
  explicit TDialogProgram(const TDialogMessage& Request);
  ~TDialogProgram();  // ends the program: closes its input, waits a moment, then kills it
  TDialogProgram(const TDialogProgram&) = delete;
  TDialogProgram& operator=(const TDialogProgram&) = delete;

  // False when the program is gone.
  bool Send(const TDialogMessage& Message);
  // The next message; nothing at the end of its output or after TimeoutMs (< 0: no limit). Raises
  // EReadError when what it writes is not a message.
  std::optional<TDialogMessage> Read(int TimeoutMs);
  // Waits up to TimeoutMs for the program to end, then kills it; its exit code (-1 when killed).
  int Finish(int TimeoutMs);

private:
  int FPid = -1, FSocket = -1;
  std::string FInput;
};

// The requests the hooks send.
TDialogMessage ExceptionDialogRequest(const TExceptionDialogRequest& Request);
TDialogMessage ReproduceDialogRequest(const TTarvikModuleOptions& Options);

// The hooks: a reply saying the dialog could not be shown (no display: the program wrote the report
// to its standard error), a program that cannot run or a damaged reply raise, and the pipeline
// records that the dialog could not be shown.
TExceptionDialogResult ShowDialogProgram(const TExceptionDialogRequest& Request);
std::string ShowRequestDialogProgram(const TTarvikModuleOptions& Options);
TSmtpProgressHooks SmtpProgressProgramHooks();
// The progress window's status line: "Message 1/2: " + Text (MessageText is customised text 54).
std::string SmtpStatusText(const std::string& MessageText, int Recipient, int RecipientCount, const std::string& Text);
// Installs those hooks and the X11 screenshot for a program with windows; Remove puts the
// defaults back.
void InstallDialogProgramHooks();
void RemoveDialogProgramHooks();

// Tells a listening debugger or editor to show Unit at Line: 2052 bytes (the unit name as a
// zero-ended string in the first 2048, then the line, 32-bit little-endian) to the abstract Unix
// datagram socket SocketName. True when all 2052 bytes went; false without a listener.
inline constexpr size_t SourceLocationMessageSize = 2052;
bool SendSourceLocation(const std::string& Unit, uint32_t Line, const std::string& SocketName = "TarvikLog");
