#pragma once
// The texts the runtime library shows, each written once. Format patterns take
// their arguments through Format (SysUtils.h).

inline constexpr char SOperationAborted[] = "Operação cancelada";
inline constexpr char SInvalidInteger[] = "'%s' não é um valor inteiro válido";
inline constexpr char SInvalidFloat[] = "'%s' não é um valor de ponto flutuante válido";
inline constexpr char SInvalidDate[] = "'%s' não é uma data válida";
inline constexpr char SInvalidTime[] = "'%s' não é um horário válido";
inline constexpr char SInvalidDateTime[] = "'%s' não é uma data e hora válida";
inline constexpr char SInvalidBoolean[] = "'%s' não é um valor booleano válido";
inline constexpr char SInvalidFormat[] = "Formato '%s' inválido ou incompatível com o argumento";
inline constexpr char SInvalidVariantType[] = "Não foi possível converter o tipo variant";
