// The helper program of the reporter's tests: another process that uses the reporter.
//   publish            start the reporter, record an exception in "EXCEPT", print "<pid> <module>",
//                      wait for a line on standard input, shut the reporter down
//   read-except P M    print what process P's module M holds in "EXCEPT": "recorded|class|message"
//   cgi                answer as a CGI program would with an error page
//   trace ... LAST     start the reporter (LAST holds the trace switches), write one trace line, shut down
//   startup ... LAST   start the reporter and print "installed=<0|1> files=<0|1> options=<own|raises>
//                      hooks=<what the capture installed: 0 when nothing>"
//   log-append F N TAG  wait for a line on standard input, then store N reports "TAG i" in log file F
#include <cstdio>
#include <iostream>
#include <string>

#include "exceptions/ExceptionLog.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "exceptions/capture/TarvikCapture.h"
#include "exceptions/deliver/TarvikWeb.h"
#include "exceptions/report/TarvikLogFile.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"

int main(int argc, char** argv) {
  std::string Mode = argc > 1 ? argv[1] : "";
  if (Mode == "publish") {
    InitializeExceptions();
    WriteExceptVirtualFile(std::make_exception_ptr(EConvertError("Valor inválido\r\n")));
    std::cout << ProcessId() << " " << ReporterModuleHandle() << std::endl;
    std::string Line;
    std::getline(std::cin, Line);
    FinalizeExceptions();
    return 0;
  }
  if (Mode == "read-except" && argc == 4) {
    auto C = ReadExceptVirtualFile(std::stoi(argv[2]), std::stoull(argv[3]));
    if (!C) return 1;
    std::cout << (C->Recorded ? "1" : "0") << "|" << C->ClassName << "|" << C->Message << std::endl;
    return 0;
  }
  if (Mode == "cgi") {
    if (!IsCgiMode()) return 2;
    return SendHttpErrorPage(BuildHtmlErrorPage("Error.", "Falha em <script>alert(1)</script>\r\nlinha 2")) ? 0 : 1;
  }
  if (Mode == "trace") {
    InitializeExceptions();
    TraceEntry("ChildTrace", {TraceFileName()});
    FinalizeExceptions();
    return 0;
  }
  if (Mode == "startup") {
    InitializeExceptions();
    std::string Options = "own";
    try {
      CurrentTarvikLogOptions();
    } catch (const EAssertionFailed&) {
      Options = "raises";
    }
    TCaptureState Hooks = CurrentCaptureState();
    std::cout << "installed=" << ReporterInstalled() << " files=" << ReporterVirtualFilesExist()
              << " options=" << Options
              << " hooks=" << Hooks.RaiseSlots + Hooks.ThreadSlots + Hooks.Signals + Hooks.Terminate << std::endl;
    FinalizeExceptions();
    return 0;
  }
  if (Mode == "log-append" && argc == 5) {
    TTarvikModuleOptions Options("", 0);
    Options.SetOutputPath(argv[2]);
    Options.SetMaxReportsInLog(100000);
    std::string Line;
    std::getline(std::cin, Line);
    int Stored = 0;
    for (int I = 0; I < std::stoi(argv[3]); ++I) {
      TTarvikReport Report;
      Report.Text = std::string("TarvikLog 4.5.4\r\n\r\n") + argv[4] + " " + std::to_string(I);
      Stored += SaveReportToLog(Options, Report) ? 1 : 0;
    }
    std::cout << Stored << std::endl;
    return 0;
  }
  return 3;
}
