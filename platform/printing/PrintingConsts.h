#pragma once
// The texts the printing library shows, each written once.

inline constexpr char SPrinting[] = "Impressão em andamento";
inline constexpr char SNotPrinting[] = "A impressora não está imprimindo";
inline constexpr char SPrinterIndexError[] = "Índice da impressora fora do intervalo";
inline constexpr char SNoDefaultPrinter[] = "Não há nenhuma impressora padrão selecionada";
inline constexpr char SInvalidPrinter[] = "A impressora selecionada não é válida";
inline constexpr char SPrintSpoolFailed[] = "O trabalho para a impressora %s não pôde ser gravado por inteiro; nada foi enviado";
inline constexpr char SPrintJobRefused[] = "A impressora %s recusou o trabalho: %s";
