#include "exceptions/deliver/TarvikWeb.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikUtils.h"
#include "platform/sys/Process.h"
#include "tests/exceptions/ChildProcess.h"

namespace {
const char* const Page =
    "<html><head><title>Error.</title></head><body><p><small><font face=\"Lucida Console,Courier\">"
    "Falha&nbsp;em&nbsp;&lt;script&gt;alert(1)&lt;/script&gt;<br>linha&nbsp;2"
    "</font></small></p></body></html>";

// Sets REQUEST_METHOD for one test, as a web server does.
class TRequestScope {
public:
  TRequestScope() { ::setenv("REQUEST_METHOD", "GET", 1); }
  ~TRequestScope() { ::unsetenv("REQUEST_METHOD"); }
};

TEST(TarvikWebTest, Modes) {
  ::unsetenv("REQUEST_METHOD");
  EXPECT_FALSE(IsCgiMode());
  EXPECT_FALSE(IsGuiMode());  // a test program is a console program
  {
    TRequestScope Request;
    EXPECT_TRUE(IsCgiMode());
    EXPECT_TRUE(IsWebMode());
    SetIsConsole(false);
    EXPECT_FALSE(IsCgiMode());  // a program with windows is never a CGI program
    EXPECT_TRUE(IsGuiMode());
    SetIsConsole(true);
  }
}

TEST(TarvikWebTest, PageAndHeader) {
  EXPECT_EQ(BuildHtmlErrorPage("Error.", "Falha em <script>alert(1)</script>\r\nlinha 2"), Page);
  EXPECT_EQ(BuildHtmlErrorPage("<b>", ""),
            "<html><head><title>&lt;b&gt;</title></head><body><p><small><font face=\"Lucida Console,Courier\">"
            "</font></small></p></body></html>");
  EXPECT_EQ(HttpErrorHeader(123, true),
            "Status: 500 Error\r\nContent-Type: text/html\r\nContent-Length: 123\r\nContent:\r\n\r\n");
  EXPECT_EQ(HttpErrorHeader(0, false), "Content-Type: text/html\r\nContent-Length: 0\r\nContent:\r\n\r\n");
}

TEST(TarvikWebTest, ThePageIsSentInWindows1252WithItsByteLength) {
  TRequestScope Request;
  int P[2];
  ASSERT_EQ(::pipe(P), 0);
  EXPECT_TRUE(SendHttpErrorPageTo(P[1], "<p>Relatório</p>"));
  ::close(P[1]);
  char Buf[512];
  ssize_t N = ::read(P[0], Buf, sizeof Buf);
  ::close(P[0]);
  EXPECT_EQ(std::string(Buf, static_cast<size_t>(N)),
            "Status: 500 Error\r\nContent-Type: text/html\r\nContent-Length: 16\r\nContent:\r\n\r\n<p>Relat\xF3rio</p>");
}

TEST(TarvikWebTest, AClosedConnectionIsAFailureNotADeath) {
  ClearInternalError();
  int Written = 0;
  TDebugOutputHook Old = SetDebugOutputHook([&](std::string_view) { ++Written; });
  int P[2];
  ASSERT_EQ(::pipe(P), 0);
  ::close(P[0]);
  EXPECT_FALSE(SendHttpErrorPageTo(P[1], "page"));  // SIGPIPE would have ended the test program
  ::close(P[1]);
  EXPECT_EQ(LastErrorCode(), eeShowError);
  EXPECT_EQ(LastErrorMessage(), "CGI: Cannot write in the ouput file.");
  ClearInternalError();
  EXPECT_FALSE(SendHttpErrorPageTo(-1, "page"));
  EXPECT_EQ(LastErrorCode(), eeShowError);
  EXPECT_EQ(Written, 2);
  SetDebugOutputHook(Old);
  ClearInternalError();
}

// A console program started by a web server answers on its standard output.
TEST(TarvikWebTest, ACgiProgramAnswersWithTheErrorPage) {
  TChildProcess Child = StartChild({"cgi"}, {"REQUEST_METHOD=POST"});
  std::string Out = ReadChildOutput(Child);
  EXPECT_EQ(WaitChild(Child), 0);
  EXPECT_EQ(Out, "Status: 500 Error\r\nContent-Type: text/html\r\nContent-Length: " +
                     std::to_string(std::string(Page).size()) + "\r\nContent:\r\n\r\n" + Page);
}
}  // namespace
