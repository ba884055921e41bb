#pragma once
// The form registry: the form class registered for an abstract dialog role (the previewer, the
// print dialog, the cancel dialog, the template error dialog). The forms and their registration
// come with the output library; until it registers them, every lookup answers none and the
// producer runs without dialogs (and refuses to preview).
#include <string_view>

struct TClassInfo;

inline constexpr char ppPreviewerRole[] = "TppCustomPreviewer";
inline constexpr char ppPrintDialogRole[] = "TppCustomPrintDialog";
inline constexpr char ppCancelDialogRole[] = "TppCustomCancelDialog";
inline constexpr char ppTemplateErrorDialogRole[] = "TppCustomTemplateErrorDialog";

// The form class registered for the role named by its abstract class, null when none.
const TClassInfo* GetFormClass(std::string_view Role);
