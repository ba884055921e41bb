#pragma once
// The texts of the band report library, each written once: its errors (English, as the library
// raises them; those of exports and of damaged files, which users meet, in Portuguese), the texts
// of its windows, and the expression language's texts. Format patterns take their arguments
// through Format (platform/rtl/SysUtils.h).

// Stored pages that cannot be read: what the user of a damaged file is told (the file, then why).
inline constexpr char SLXDamagedFile[] = "O arquivo de relatório \"%s\" está danificado: %s";
inline constexpr char SLXDamagedPages[] = "As páginas do relatório estão danificadas: %s";
inline constexpr char SLXRecordCutShort[] = "um registro de página está incompleto";
inline constexpr char SLXHeaderCutShort[] = "o arquivo é menor que o seu cabeçalho de 128 bytes";
inline constexpr char SLXNegativePageCount[] = "o cabeçalho indica um número negativo de páginas";
inline constexpr char SLXTooManyPagesForFile[] = "o cabeçalho indica mais páginas do que o arquivo comporta";
inline constexpr char SLXForwardLinkOrder[] = "um elo para a página seguinte está fora de ordem";
inline constexpr char SLXBackLinkOrder[] = "um elo para a página anterior está fora de ordem";
inline constexpr char SLXPageNumberOrder[] = "os números das páginas estão fora de ordem";
inline constexpr char SLXNoReachableRecord[] = "nenhum registro de página pode ser alcançado";
inline constexpr char SLXNoPageRecord[] = "não há registro de página";
inline constexpr char SLXHeaderLost[] = "as páginas perderam o seu cabeçalho";
inline constexpr char SLXForwardLinkInsideRecord[] = "um elo para a página seguinte não fecha o seu registro";
inline constexpr char SLXCompressedCountTooLarge[] = "uma página compactada declara mais bytes do que contém";
inline constexpr char SLXCompressedDataShort[] = "os dados de uma página compactada não preenchem o seu registro";
inline constexpr char SLXMetafileTooLarge[] = "o metarquivo de uma página é maior que o seu registro";
inline constexpr char SLXCodeCutShort[] = "os dados de uma página compactada terminam no meio de um código";

// Stored pages: other errors
inline constexpr char SLXNoPageStream[] = "The page list has no page stream";
inline constexpr char SLXNoSuchPage[] = "There is no page %d";
inline constexpr char SLXPageTooLarge[] = "A page is too large to store";
inline constexpr char SLXReportTooLarge[] = "The report is too large: stored pages cannot pass 2 GiB";
inline constexpr char SLXTooManyPages[] = "Too many pages";
inline constexpr char SLXNoPagesToSave[] = "There are no pages to save";

// Report printer
inline constexpr char SLXPrinterNotReady[] = "LXPrinter not ready";
inline constexpr char SLXIllegalNewPage[] = "Illegal call to NewPage";

// Export filters
inline constexpr char SLXAbstractFilterDescription[] = "Abstract non-working export filter";
inline constexpr char SLXAbstractFilterName[] = "Abstract filter";
inline constexpr char SLXFilterVendor[] = "Mivo Sistemas";
inline constexpr char SLXReportFileFilterName[] = "VexaReport file";
inline constexpr char SLXReportFileExtension[] = "LXP";
inline constexpr char SLXWritingXLS[] = "Writing XLS file...";
// Exports: what users meet when a file is not written.
inline constexpr char SLXSheetFull[] = "Não foi possível gravar a planilha %s: uma planilha comporta no máximo %d linhas";
inline constexpr char SLXExportNoPreparedPages[] =
    "O relatório não tem páginas prontas para exportar: gere-o antes (Prepare ou Preview)";

// Report geometry, bands and printables
inline constexpr char SLXTooManyValues[] = "%s: \"Values\" holds more than %d lengths";
inline constexpr char SLXValueOutOfRange[] = "%s: a stored length is not a number or out of range";
inline constexpr char SLXCircularLinking[] = "Circular linking not allowed";
inline constexpr char SLXAbstractError[] = "Abstract Error";
// An expression printable without expression shows "(none)".
inline constexpr char SLXNone[] = "none";

// Band types: the titles the design surface shows and the prefixes of new bands' names, by type.
namespace LXBandText {
inline constexpr const char* Titles[] = {"Title",         "Page Header",   "Detail", "Page Footer",
                                         "Summary",       "Group Header",  "Group Footer", "Sub Detail",
                                         "Column Header", "Overlay",       "Child"};
inline constexpr const char* NamePrefixes[] = {
    "TitleBand",       "PageHeaderBand",  "DetailBand",       "PageFooterBand", "SummaryBand", "GroupHeaderBand",
    "GroupFooterBand", "SubDetailBand",   "ColumnHeaderBand", "OverlayBand",    "ChildBand"};
}  // namespace LXBandText

// Windows
inline constexpr char SLXProgressCaption[] = "Printing progress";
inline constexpr char SLXProgressCompleted[] = "%d%%  Completed";
inline constexpr char SLXCancel[] = "Cancel";

// The standard preview window
inline constexpr char SLXPreviewCaption[] = "Pré Visualizar Impressão";
inline constexpr char SLXPageText[] = "Page";
inline constexpr char SLXPageOf[] = "of";
inline constexpr char SLXProgressStart[] = "0%";
inline constexpr char SLXGoToCaption[] = "Selecione pagina de 1 para %d";
inline constexpr char SLXGoToPrompt[] = "Ir para pagina >>";
inline constexpr char SLXSaveTitle[] = "Save report";
inline constexpr char SLXLoadTitle[] = "Load report";
inline constexpr char SLXPDFFilterEntry[] = "Formato de Documento portavel (PDF)";
inline constexpr char SLXFileDoesNotExist[] = "File does not exist";
inline constexpr char SLXDamagedFromPage[] =
    "O arquivo do relatório está danificado a partir da página %d; as páginas que não puderem ser lidas "
    "aparecem em branco.\n\n%s";
inline constexpr char SLXExportNeedsReport[] =
    "Este formato é gerado pelo relatório que fez as páginas; um arquivo aberto não o contém. Nada foi gravado.";
// Caption, hint of each tool button, in the window's order.
inline constexpr const char* LXPreviewButtons[][2] = {
    {"Ajustar", "Ajustar"},           {"100%", "100%"},
    {"Largura", "Largura"},           {"&1º Pagina", "1 pagina"},
    {"&Anterior", "Pagina Anterior"}, {"&Próxima", "Proxima Pagina"},
    {"&Ultima", "Ultima Pagina"},     {"Ir Para", "ir para pagina"},
    {"Configurar", "Configurar Impressão"}, {"&Imprimir", "Imprimir"},
    {"&Salvar", "Salvar/Exportar Relatorio"}, {"Abrir", "Abrir "},
    {"&Fechar", "Fechar"}};

// Texts of the expression language (its string table).
namespace LXExprText {
inline constexpr const char* True = "True";
inline constexpr const char* False = "False";
inline constexpr const char* OperatorNotCompatible = "Operator %s is not compatible with %s expressions";
inline constexpr const char* CannotOperate = "Cannot %s %s expressions";
// The verbs and kinds those two messages name.
inline constexpr const char* VerbAdd = "add";
inline constexpr const char* VerbSubtract = "subtract";
inline constexpr const char* VerbMultiply = "multiply";
inline constexpr const char* VerbDivide = "divide";
inline constexpr const char* KindNumeric = "numeric";
inline constexpr const char* KindBoolean = "boolean";
inline constexpr const char* KindString = "string";
inline constexpr const char* DivideByZero = "Cannot divide by 0";
inline constexpr const char* UnknownFieldType = "Field %s is of unknown type";
inline constexpr const char* TooManyArguments = "Too many arguments";
inline constexpr const char* WrongArguments = "Wrong arguments for %s";
inline constexpr const char* UnknownType = "Unknown type";
inline constexpr const char* InvalidSqrt = "Invalid argument to SQRT function";
inline constexpr const char* DivisionByZero = "Division by Zero";
inline constexpr const char* ConversionError = "Conversion error";
inline constexpr const char* MissingArgument = "Missing argument for %s";
inline constexpr const char* InvalidFormat = "Invalid format or value specified";
inline constexpr const char* CountPrefix = "COUNT - ";
inline constexpr const char* UnknownFunction = "Unknown function : %s";
inline constexpr const char* Missing = "Missing %s";
inline constexpr const char* ErrorInExpression = "Error in expression : %s";
inline constexpr const char* IllegalNumeric = "Illegal character in numeric contant ";
inline constexpr const char* InvalidNot = "Invalid use of NOT";
inline constexpr const char* NotPrepared = "Evaluator not prepared";
inline constexpr const char* Recursive = "Recursive calls not allowed";
inline constexpr const char* TooLong = "Expression too long: more than %d characters";
inline constexpr const char* TooDeep = "Expression nested too deeply: more than %d levels";
inline constexpr const char* FieldGone = "Field %s is no longer available";
inline constexpr const char* Vendor = "Mivo Open Report";
}  // namespace LXExprText

// PDF export: the PDF writer component (a shared library loaded by name) and its messages.
inline constexpr char SLXPDFLibraryName[] = "REZivIdu.dll";
inline constexpr char SLXPDFLibraryMissing[] =
    "Não foi possível encontrar a biblioteca REZivIdu.dll necessária para \rexecutar este procedimento favor "
    "contacte o Mivo Sistemas ";
inline constexpr char SLXPDFEntryMissing[] = "impossivel localizar funcao ";
inline constexpr char SLXPDFNotWritten[] = "Não foi possível gravar o documento PDF %s (%s)";
// The reason when the writer component says only that it failed.
inline constexpr char SLXPDFWriterFailed[] = "o componente de PDF não conseguiu gerar o documento";
inline constexpr char SLXPAbstractFilterName[] = "LXAbstract";
inline constexpr char SLXPDFFilterExtension[] = "PDF";
inline constexpr char SLXPDFNoPrinter[] = "A exportação para PDF não tem impressora de relatório";
inline constexpr char SLXPDFNoPictureFolder[] = "Não foi possível criar a pasta das imagens do PDF em %s (%s)";
inline constexpr char SLXPDFPictureNotWritten[] = "Não foi possível gravar o arquivo de imagem %s (%s)";

// Design-time dialogs: the expression builder, the variables dialog and the
// text settings of labels and expressions.
namespace LXEditorText {
inline constexpr const char* BuilderCaption = "Expression Wizard";
inline constexpr const char* Heading = "Enter expression:";
inline constexpr const char* InsertGroup = "Insert at cursor position";
inline constexpr const char* DatabaseField = "&Database field";
inline constexpr const char* Function = "&Function";
inline constexpr const char* Variable = "&Variable";
inline constexpr const char* Validate = "Valida&te";
inline constexpr const char* Clear = "&Clear";
inline constexpr const char* OK = "OK";
inline constexpr const char* Cancel = "Cancel";
inline constexpr const char* DataFieldGroup = "Insert database field in expression";
inline constexpr const char* SelectDataset = "Select dataset";
inline constexpr const char* AvailableFields = "Available fields";
// A closed data set offers no fields; the library's own addition, in Portuguese.
inline constexpr const char* ClosedDataSet = "%s (fechado)";
inline constexpr const char* FunctionGroup = "Select function";
inline constexpr const char* Category = "Category";
inline constexpr const char* Categories[] = {"All",      "Date & time", "Math & trig", "Statistical",
                                             "Database", "Logical",     "Information", "Other"};
inline constexpr const char* AvailableFunctions = "Available functions";
inline constexpr const char* Continue = "Continue";
inline constexpr const char* ParamsGroup = "Enter parameters for function";
inline constexpr const char* ArgumentLogical = "Argument %d - logical value";
inline constexpr const char* ArgumentNumeric = "Argument %d - numeric value";
inline constexpr const char* ArgumentText = "Argument %d - text Value";
inline constexpr const char* ArgumentValue = "Argument %d - value";
inline constexpr const char* ParameterHeading = "Enter %d. parameter for %s";
inline constexpr const char* Ellipsis = "...";
inline constexpr const char* VariableGroup = "Select variable";
inline constexpr const char* ValueLabel = "Value :";
inline constexpr const char* ModifyVariables = "&Modify variables";
inline constexpr const char* NoErrors = "There are no errors. The result is : ";
inline constexpr const char* ErrorPrefix = "ERROR: ";
// A failure the expression language does not turn into a value (a data set that cannot be read).
inline constexpr const char* ReadFailed = "ERROR: %s";

inline constexpr const char* EnvironmentCaption = "User Defined Functions Edtor";
inline constexpr const char* NewEntryGroup = "New entry";
inline constexpr const char* NameLabel = "Name :";
inline constexpr const char* ExpressionLabel = "Expression :";
inline constexpr const char* EntryOK = "&OK";
inline constexpr const char* EntryCancel = "&Cancel";
inline constexpr const char* AvailableGroup = "Available User Defined Functions";
inline constexpr const char* LocalDefines = "&Local defines";
inline constexpr const char* GlobalDefines = "&Global defines";
inline constexpr const char* Close = "Close";
inline constexpr const char* Delete = "&Delete";
inline constexpr const char* Edit = "&Edit";
inline constexpr const char* Add = "&Add";
inline constexpr const char* NameHeader = "Name";
inline constexpr const char* ExpressionHeader = "Expression";

inline constexpr const char* TextSettingsCaption = "Text Settings";
inline constexpr const char* ExpressionSettingsCaption = "Expression settings";
inline constexpr const char* PropertiesGroup = "Properties";
inline constexpr const char* TextLabel = "Text";
inline constexpr const char* ExpressionCaption = "Expression";
inline constexpr const char* WidthLabel = "Width";
inline constexpr const char* HeightLabel = "Height";
inline constexpr const char* FormatMask = "Format mask";
inline constexpr const char* AutoSize = "Autosize";
inline constexpr const char* Stretch = "Stretch";
inline constexpr const char* Transparent = "Transparent";
inline constexpr const char* LabelTitle = "Text Control";
inline constexpr const char* ExprTitle = "Expression Control";
}  // namespace LXEditorText
