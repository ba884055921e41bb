#pragma once
// Programmer errors of the pp forms (English, as the library's others); what users read are
// language strings.
inline constexpr char SppAbstractCall[] = "Abstract call: %s.%s is not implemented.";
inline constexpr char SppNotOfKind[] = "The form registered for %s is not a %s.";

// Shown after a refused autosearch value (the report splits its values at commas).
inline constexpr char SppSearchValueHasComma[] = "não pode conter vírgula: a vírgula separa os valores.";
