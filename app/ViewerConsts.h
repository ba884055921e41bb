#pragma once
// The texts the viewer shows, each written once. The four contact values are build settings
// (MOR_CONTACT_WEB, MOR_CONTACT_EMAIL, MOR_CONTACT_PHONE, MOR_CONTACT_TOWN in CMake).

#ifndef MOR_CONTACT_WEB
#define MOR_CONTACT_WEB "https://example.org"
#endif
#ifndef MOR_CONTACT_EMAIL
#define MOR_CONTACT_EMAIL "contato@example.org"
#endif
#ifndef MOR_CONTACT_PHONE
#define MOR_CONTACT_PHONE "(00) 0000-0000"
#endif
#ifndef MOR_CONTACT_TOWN
#define MOR_CONTACT_TOWN "Brasil"
#endif

inline constexpr char SViewerTitle[] = "Mivo Open Report";
inline constexpr char SContactWeb[] = MOR_CONTACT_WEB;
inline constexpr char SContactEmail[] = MOR_CONTACT_EMAIL;
inline constexpr char SContactPhone[] = MOR_CONTACT_PHONE;
inline constexpr char SContactTown[] = MOR_CONTACT_TOWN;
inline constexpr char SFreeSoftwareNotice[] =
    "Programa livre: mostra, imprime e exporta relatórios salvos em arquivos \".lxp\".";

// The main form
inline constexpr char SMainsCaption[] = "Visualizador de Relatórios - ZadudOr By Mivo Sistemas - ";
inline constexpr char SVisualizarsCaption[] = "Visualizars";
inline constexpr char SPageLabel[] = "Pagina ";
inline constexpr char SPageTotalLabel[] = "De ";
// Caption and hint of the five buttons, SpeedButton1 to SpeedButton5.
inline constexpr const char* SMainsButtons[][2] = {{"Ultima", "Ultima Página"},
                                                   {"Primeira", "Primeira Página"},
                                                   {"Anterior", "Página Anteirior"},
                                                   {"Próxima", "Próxima Pagina "},
                                                   {"", "Próxima Pagina "}};

// File-type registration
inline constexpr char SReportFileDescription[] = "Mivo Report File";
inline constexpr char SReportFileExtension[] = ".lxp";
inline constexpr char SAutoFileSuffix[] = "_auto_file";
// The program's picture (of the band report library's icons) and its name in the desktop's icon theme.
inline constexpr char SProgramIcon[] = "mivoreport";

// A file named on the command line that cannot be shown
inline constexpr char SCannotOpenReport[] = "Não foi possível abrir o relatório \"%s\":\n%s";
inline constexpr char SNeedsDesktop[] = "O visualizador precisa de uma sessão gráfica.";
