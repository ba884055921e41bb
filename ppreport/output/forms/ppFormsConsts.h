#pragma once
// Programmer errors of the pp forms (English, as the library's others); what users read are
// language strings.
inline constexpr char SppAbstractCall[] = "Abstract call: %s.%s is not implemented.";
inline constexpr char SppNotOfKind[] = "The form registered for %s is not a %s.";
inline constexpr char SppStatusBarSimplePanel[] =
    "TppCustomPreview.StatusChangeEvent: Must have a non-SimplePanel status bar.";

// The search preview's programmer errors (after its class and operation).
inline constexpr char SppSearchEngineNotFound[] = "Text search engine not found in registry: ";
inline constexpr char SppSearchPreviewNoViewer[] = "Must assign viewer first.";
inline constexpr char SppSearchPreviewNoScreenDevice[] = "Screen device is nil.";
inline constexpr char SppSearchPreviewNoStatusBar[] = "Must assign status bar first.";
inline constexpr char SppSearchPreviewSimplePanel[] =
    "Must have a non SimplePanel status bar to support text search.";
inline constexpr char SppSearchCannotHighlight[] = "Cannot highlight page.";

// Shown after a refused autosearch value (the report splits its values at commas).
inline constexpr char SppSearchValueHasComma[] = "não pode conter vírgula: a vírgula separa os valores.";

// Texts of language strings the program's own table lacks, used when no language module has them.
inline constexpr char SppTemplateOpenCaption[] = "Abrir Modelo";        // 361
inline constexpr char SppTemplateSaveCaption[] = "Salvar Modelo";       // 362
inline constexpr char SppTemplateOpenButton[] = "&Abrir";               // 134
inline constexpr char SppTemplateSaveButton[] = "&Salvar";              // 138
inline constexpr char SppTemplateErrorCaption[] = "Erro ao Ler o Modelo";  // 418
inline constexpr char SppTemplateIgnore[] = "&Ignorar";                 // 416
inline constexpr char SppTemplateIgnoreAll[] = "Ignorar &Todos";        // 417
inline constexpr char SppTemplateExists[] = "O modelo <name> já existe.";  // 523
inline constexpr char SppTemplateReplace[] = "Deseja substituí-lo?";    // 494

// The preview window's caption before its language is set.
inline constexpr char SppPrintPreviewCaption[] = "Print Preview";
// The print dialog's question before a file is replaced (kept in English), and our
// own text for language string 459 (a printer that gives no device context).
inline constexpr char SppFileExists[] = " already exists.";
inline constexpr char SppFileReplace[] = "Do you want to replace it?";
inline constexpr char SppPrinterNoContext[] = "Não foi possível acessar a impressora selecionada.";  // 459
