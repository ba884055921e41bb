#pragma once
// Web-application mode: a program started by a web server through CGI has no user at a screen, so
// the report goes back to the web client as an HTTP 500 error page instead of into a dialog.
#include <string>
#include <string_view>

// The error page: the title (customised text 2) and the report text in a monospaced font; the
// report keeps its lines and spaces, and "<", ">", "&" and '"' show as text.
std::string BuildHtmlErrorPage(std::string_view Title, std::string_view ReportText);
// The header before a page of BodyBytes bytes: "Status: 500 Error" in CGI mode, then the content
// type, the content length and an empty "Content:" line, each ended by CR LF, and an empty line.
std::string HttpErrorHeader(size_t BodyBytes, bool Cgi);
// Sends the page (converted to Windows-1252) with its header to standard output, where the web
// server reads a CGI program's answer. False, with the warning recorded, when the bytes cannot
// all be written.
bool SendHttpErrorPage(std::string_view Page);
// The same to another file descriptor.
bool SendHttpErrorPageTo(int Fd, std::string_view Page);
