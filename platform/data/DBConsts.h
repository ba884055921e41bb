#pragma once
// The texts the data access library shows, each written once. Format patterns
// take their arguments through Format (platform/rtl/SysUtils.h).

inline constexpr char SFieldNotFound[] = "Campo '%s' não encontrado";
inline constexpr char SParamNotFound[] = "Parâmetro '%s' não encontrado";
inline constexpr char SFieldAccessError[] = "Não é possível acessar o campo '%s' como tipo %s";
inline constexpr char SNotBlobField[] = "Campo '%s' não é um campo BLOB";
inline constexpr char SUnknownFieldType[] = "Tipo de campo desconhecido";
inline constexpr char SValueTooLarge[] = "Valor grande demais para um campo";
inline constexpr char SDataSetClosed[] = "Não é possível executar esta operação em um conjunto de dados fechado";
inline constexpr char SDataSetOpen[] = "Não é possível executar esta operação em um conjunto de dados aberto";
inline constexpr char SRecordsMismatch[] = "Os registros não correspondem às definições de campo";
inline constexpr char SRecordNotFound[] = "Registro não encontrado";
inline constexpr char SRecordValueCount[] = "O registro tem %d valores para %d campos";
inline constexpr char SDataSetNoFields[] = "O conjunto de dados não tem campos";
// A boolean field's or parameter's value as text.
inline constexpr char STextTrue[] = "True";
inline constexpr char STextFalse[] = "False";

// SQLite
inline constexpr char SSQLiteError[] = "%s: %s";  // what was being done: SQLite's message
inline constexpr char SOutOfMemory[] = "sem memória";
inline constexpr char SDatabaseNameMissing[] = "Nome do banco de dados não informado";
inline constexpr char SDatabaseOpenError[] = "Não foi possível abrir o banco de dados '%s': %s";
inline constexpr char SEmptySQL[] = "O texto SQL está vazio";
inline constexpr char SNoResultSet[] = "O comando SQL não retorna um conjunto de registros";
inline constexpr char STableNameMissing[] = "Nome da tabela não informado";
inline constexpr char SUnnamedParam[] = "Parâmetro sem nome no SQL: use :Nome";
inline constexpr char SSQLErrorInSQL[] = "Erro no SQL";
inline constexpr char SSQLErrorReading[] = "Erro ao ler registros";
inline constexpr char SSQLErrorInParam[] = "Erro no parâmetro '%s'";
inline constexpr char SSQLErrorExecuting[] = "Erro ao executar o SQL";
