#pragma once
// Texts of the text-file and archive devices and of the archive reader. The archive's faults are
// what a user meets when a saved report cannot be shown: Brazilian Portuguese, the file named.

// The archive reader: a damaged or cut file, and what was found wrong.
inline constexpr char SppArchiveDamaged[] = "O arquivo de relatório %s está danificado: %s.";
inline constexpr char SppArchiveHeader[] = "cabeçalho incompleto ou inválido";
inline constexpr char SppArchiveDirectory[] = "índice de páginas fora do arquivo";
inline constexpr char SppArchivePageBounds[] = "a página %d está fora do arquivo";
inline constexpr char SppArchivePageSignature[] = "a página %d não é um canal de componentes";
inline constexpr char SppArchivePageRead[] = "a página %d não pôde ser lida (%s)";
inline constexpr char SppArchivePageClass[] = "a página %d não contém uma página (%s)";
inline constexpr char SppArchivePageIndex[] = "Page index %d out of range 0..%d.";
// The writer: page offsets are 32-bit.
inline constexpr char SppArchiveTooLarge[] = "O arquivo de relatório ultrapassaria 2 GB.";
