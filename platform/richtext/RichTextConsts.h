#pragma once
// The texts the rich text module shows, each written once.

inline constexpr char SRichTextNoDevice[] = "Formatação de texto rico sem dispositivo";
