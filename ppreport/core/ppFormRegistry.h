#pragma once
// The form registry: for each abstract dialog kind (named by its class name) the form class that
// implements it. Code that opens a dialog never names a concrete form: it asks for the class
// registered under the kind, so a class an application registers later replaces the library's
// dialog everywhere. The forms and their registration come with the output library's forms; until
// they are registered every lookup answers none (the producer then runs without dialogs).
#include <string_view>

class TComponent;
struct TClassInfo;

inline constexpr char ppPreviewerRole[] = "TppCustomPreviewer";
inline constexpr char ppPrintDialogRole[] = "TppCustomPrintDialog";
inline constexpr char ppCancelDialogRole[] = "TppCustomCancelDialog";
inline constexpr char ppNoDataDialogRole[] = "TppCustomNoDataDialog";
inline constexpr char ppAutoSearchDialogRole[] = "TppCustomAutoSearchDialog";
inline constexpr char ppTemplateDialogRole[] = "TppCustomTemplateDialog";
inline constexpr char ppTemplateErrorDialogRole[] = "TppCustomTemplateErrorDialog";

// Registers FormClass for the kind (replacing the class registered before, which leaves the
// streaming class registry) and adds it to the streaming class registry. Kinds compare without
// regard to case. FormClass must be creatable (it has a Create).
void RegisterFormClass(std::string_view Role, const TClassInfo& FormClass);
// Removes the kind's class; nothing when the kind has none.
void UnregisterFormClass(std::string_view Role);
// The form class registered for the kind, null when none.
const TClassInfo* GetFormClass(std::string_view Role);
// A new form of the class registered for the kind, owned by Owner. Raises ETalvorError naming the
// kind when nothing is registered for it (or the class cannot be created).
TComponent* CreateFormOfRole(std::string_view Role, TComponent* Owner);
