#pragma once
// The texts the class library shows, each written once. Format patterns take
// their arguments through Format (platform/rtl/SysUtils.h). The reasons of failed system calls that
// follow a file name (SIsAFolder...) are the runtime's (RtlConsts.h, SysErrorMessage).
#include "platform/rtl/RtlConsts.h"

// Objects and components
inline constexpr char SAssignError[] = "Não é possível atribuir %s a %s";
inline constexpr char SDuplicateName[] = "Já existe um componente com o nome %s";
inline constexpr char SInvalidName[] = "\"%s\" não é um nome de componente válido";
inline constexpr char SDuplicateClass[] = "Uma classe chamada %s já existe";
inline constexpr char SClassNotFound[] = "Classe %s não encontrada";

// Lists
inline constexpr char SListIndexError[] = "Índice da lista fora dos limites (%d)";
inline constexpr char SSortedListError[] = "Operação não permitida em lista ordenada";
inline constexpr char SDuplicateString[] = "A lista de strings não permite duplicatas";

// Streams and files
inline constexpr char SReadError[] = "Erro de leitura do stream";
inline constexpr char SWriteError[] = "Erro de escrita no stream";
inline constexpr char SSetSizeUnsupported[] = "Stream não suporta mudança de tamanho";
inline constexpr char SSetSizeError[] = "Erro ao mudar o tamanho do stream";
inline constexpr char SFCreateError[] = "Não foi possível criar o arquivo %s (%s)";
inline constexpr char SFWriteError[] = "Não foi possível gravar o arquivo %s (%s)";
inline constexpr char SFOpenError[] = "Não foi possível abrir o arquivo %s (%s)";
inline constexpr char STempFileError[] = "Não foi possível criar arquivo temporário em %s (%s)";
inline constexpr char SReadPastEnd[] = "Leitura além do fim dos dados";

// Component streams
inline constexpr char SInvalidStreamFormat[] = "Formato de stream inválido";
inline constexpr char SInvalidPropertyValue[] = "Valor de propriedade inválido";
inline constexpr char SPositionOutOfStream[] = "Posição fora do stream";
inline constexpr char SUnknownProperty[] = "A propriedade %s não existe";
inline constexpr char SPropertyReadError[] = "Erro lendo %s: %s";
inline constexpr char SReadOnlyProperty[] = "A propriedade %s é somente leitura";
inline constexpr char SMethodNotFound[] = "Método %s não encontrado";
inline constexpr char SAncestorNotFound[] = "Ancestral de '%s' não encontrado";
inline constexpr char STooManyComponents[] = "Componentes demais no stream";
inline constexpr char SNameTooLong[] = "Nome longo demais para o stream: %s";
inline constexpr char SClassNameTooLong[] = "Nome de classe longo demais para o stream: %s";
inline constexpr char SBinaryTooLarge[] = "Dados binários grandes demais para o stream";
inline constexpr char SCurrencyOutOfRange[] = "Valor fora do intervalo de moeda";
inline constexpr char STooDeeplyNested[] = "Propriedades aninhadas demais";

// The text form of component streams: "Linha <n>: <what>"
inline constexpr char SParseError[] = "Linha %d: %s";
inline constexpr char SParseExpected[] = "%s esperado";  // a quoted symbol or keyword, or a kind of token
inline constexpr char SParseIdentifier[] = "identificador";
inline constexpr char SParseInteger[] = "número inteiro";
inline constexpr char SParseText[] = "texto";
inline constexpr char SParseValue[] = "valor";
inline constexpr char SParseHexDigit[] = "dígito hexadecimal";
inline constexpr char SParseTooDeep[] = "aninhamento profundo demais";
inline constexpr char SParseOutOfRange[] = "valor fora do intervalo";
inline constexpr char SParseInvalidCurrency[] = "valor de moeda inválido";
inline constexpr char SParseOddHexDigits[] = "número ímpar de dígitos hexadecimais";
inline constexpr char SParseIdentifierTooLong[] = "identificador longo demais";
inline constexpr char SParseClassNameTooLong[] = "nome de classe longo demais";
inline constexpr char SParseInvalidNumber[] = "número inválido";
inline constexpr char SParseUnterminatedText[] = "texto não terminado";
inline constexpr char SParseInvalidCharacter[] = "caractere inválido";
