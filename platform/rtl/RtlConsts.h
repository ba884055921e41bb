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

// Reasons of failed system calls (SysErrorMessage), as they follow a file name in a message.
inline constexpr char SNoSuchFile[] = "o arquivo ou a pasta não existe";
inline constexpr char SAccessDenied[] = "acesso negado";
inline constexpr char SNotPermitted[] = "operação não permitida";
inline constexpr char SIsAFolder[] = "é uma pasta, não um arquivo";
inline constexpr char SNotAFolder[] = "uma parte do caminho não é uma pasta";
inline constexpr char SDiskFull[] = "não há espaço livre no disco";
inline constexpr char SQuotaExceeded[] = "a cota de disco foi excedida";
inline constexpr char SReadOnlyFileSystem[] = "o sistema de arquivos é somente leitura";
inline constexpr char SInOutFailure[] = "erro de entrada e saída no dispositivo";
inline constexpr char SFileExists[] = "o arquivo já existe";
inline constexpr char SNameTooLongForSystem[] = "o nome do arquivo é longo demais";
