#pragma once
// The class of a thrown object as the reporter names it: the C++ runtime's type information of
// what was thrown, demangled ("app::io::ReadError"), and its public base classes walked by name.
// A throw of something that is not a class (an int, a pointer, a text literal) has no class name.
#include <exception>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "exceptions/base/TarvikStackFrame.h"
#include "exceptions/base/TarvikUtils.h"

// The object an exception_ptr holds and the type it was thrown as; nulls for none. The object
// lives as long as the exception_ptr.
TThrownObject ThrownObjectOf(const std::exception_ptr& E);
// Demangled name of the thrown object's class; empty when it is no class.
std::string ThrownClassName(const TThrownObject& Thrown);
std::string ExceptionClassName(const std::exception_ptr& E);
// The class name and message as the reporter shows them: the class name (ThrownClassName) and the
// message (an Exception's Message, a standard exception's what()); a class that is no standard
// exception gives "Unknown error message."; a thrown non-class value, or nothing,
// "Unknown exception type." and "Unknown error message.".
TExceptionDescription DescribeThrown(const TThrownObject& Thrown);
// The class and its public ancestors, nearest first (each once; a base reached twice through
// multiple inheritance is listed once). Empty for a type that is no class.
std::vector<std::string> ClassAncestry(const std::type_info& Type);
// The part of a qualified class name after its last "::" outside template arguments.
std::string_view LastNamePart(std::string_view QualifiedName);
// Whether the class of what was thrown, or one of its ancestors, is named Name: compared
// upper-cased (ASCII), Name trimmed, with the whole qualified name or with its last part
// ("ReadError" and "app::io::ReadError" both name app::io::ReadError).
bool IsClassNamed(const std::type_info* Type, std::string_view Name);
