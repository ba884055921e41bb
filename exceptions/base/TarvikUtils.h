#pragma once
// Small utilities the reporter's parts share.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

bool IsDebuggerAttached();
// Highest address of the calling thread's stack.
uintptr_t GetStackBase();
// The system thread id of the calling thread, and whether it is the program's main thread.
int CurrentThreadId();
bool IsMainThread();

// The kind of program. CGI: a console program with the environment variable REQUEST_METHOD set
// (to anything, even empty). GUI: neither a web mode nor a console program (the report goes to
// the dialog).
bool IsCgiMode();
bool IsWebMode();
bool IsGuiMode();

// A code address as the reporter writes it: 16 upper-case hexadecimal digits.
std::string AddressText(uintptr_t Address);

// Every non-overlapping occurrence of Find, left to right, case-sensitive; an empty Find changes nothing.
std::string ReplaceText(std::string_view Text, std::string_view Find, std::string_view Replacement);
// The HTML form of a report text: escaped, every CR LF a "<br>", every space a "&nbsp;".
std::string HtmlEncode(std::string_view Text);
std::string IfThenText(bool Condition, std::string_view Text1, std::string_view Text2);
std::string IfText(bool Condition, std::string_view Text);
// Character set of the reporter's texts at their boundaries: Windows-1252, the ANSI character set (0).
int GetDefaultCharset();

// Every line break (CR LF, CR or LF) as CR LF.
std::string CrLfLines(std::string_view Text);
// The system's text for an errno value.
std::string SystemErrorText(int Code);

// The string rule of the reporter's streams and virtual files: a text of more than one character
// whose first CR LF stands at its very end loses that CR LF.
std::string DropLoneTrailingLineBreak(std::string_view Text);

// Where the reporter writes a file it names beside the program (trace, log): Path itself when its
// folder exists and is writable, else (also for a path without folder) the same file name in a
// folder named after the program under the user's state folder ($XDG_STATE_HOME), which the
// writer makes when missing. Path unchanged when there is no state folder.
std::string WritableOutputPath(const std::string& Path);

// The class name and message of an exception object as the reporter shows them: the demangled
// class name (ExceptionClassName) and the message, what() for standard exceptions; a class that
// is no standard exception gives "Unknown error message."; a thrown non-class value, or no
// exception, "Unknown exception type." and "Unknown error message.".
struct TExceptionDescription {
  std::string ClassName;
  std::string Message;
};
TExceptionDescription DescribeException(const std::exception_ptr& E);
// The demangled name of a type as the C++ runtime reports it.
std::string DemangledTypeName(const char* MangledName);
