#pragma once
// Names of functions as the debug data holds them, made from the compiler's demangled names.
#include <string>

// The qualified name inside a demangled function name: without the return type of a template
// function, the parameter list, the qualifiers after it and the clone suffixes.
// "int const& std::max<int>(int const&, int const&)" gives "std::max<int>".
std::string QualifiedFunctionName(const std::string& Demangled);
// The name a line record carries: for a member, its class and the method joined by "." (the first
// "." of the name separates them: "ns::Class.method"); anything else as it is. A "." inside the
// class, or inside a name that is no member's, becomes "_" so that no reader splits there.
std::string DottedProcedureName(const std::string& Qualified, bool IsMember);
