#pragma once
// The texts of the pp library's own errors, each written once (English, as programmer errors
// read: the class and operation come first through ppErrorText). Texts users see are language
// strings. Patterns take their arguments through Format (platform/rtl/SysUtils.h).

// Descriptors and parameter lists
inline constexpr char SppParamTypeMismatch[] = "Parameter %s cannot be bound to a variable of this type.";
inline constexpr char SppParamNamesMismatch[] = "The parameter names of %s do not match its signature.";

// Relative trees
inline constexpr char SppParentCycle[] = "A relative cannot become a child of itself or of its own descendant.";
