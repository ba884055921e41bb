#pragma once
// The texts of the pp library's own errors, each written once (English, as programmer errors
// read: the class and operation come first through ppErrorText). Texts users see are language
// strings. Patterns take their arguments through Format (platform/rtl/SysUtils.h).

// Descriptors and parameter lists
inline constexpr char SppParamTypeMismatch[] = "Parameter %s cannot be bound to a variable of this type.";
inline constexpr char SppParamNamesMismatch[] = "The parameter names of %s do not match its signature.";

// Relative trees
inline constexpr char SppParentCycle[] = "A relative cannot become a child of itself or of its own descendant.";

// Language module files (why a file is refused; the program's own texts answer instead)
inline constexpr char SppLanguageModuleHeader[] = "Not a language module: wrong signature or version.";
inline constexpr char SppLanguageModuleCount[] = "Language module count larger than the file.";
inline constexpr char SppLanguageModuleText[] = "Language module text is not valid UTF-8.";
inline constexpr char SppLanguageModuleName[] = "Language module picture name is not ASCII.";
inline constexpr char SppLanguageModuleRepeated[] = "Language module entry repeated.";
inline constexpr char SppLanguageModuleTrailing[] = "Bytes after the end of the language module.";
inline constexpr char SppLanguageModuleTooLong[] = "Language module entry too long for the format.";

// Printers
inline constexpr char SppScreenPrinting[] = "Screen printer does not support printing.";
inline constexpr char SppPrinterUnavailable[] = "The printer cannot be opened.";

// Page-state cache
inline constexpr char SppCacheBufferSize[] = "The buffer does not hold exactly one cache record.";

// Data pipelines
inline constexpr char SppInvalidBookmark[] = "Not a bookmark of this pipeline's open data.";
inline constexpr char SppDataTypeNotSupported[] = "DataType not supported by ";
inline constexpr char SppNoField[] = "No field named %s.";

// Report parameters
inline constexpr char SppParameterTypeNotSupported[] = "%s data type is not supported";
inline constexpr char SppParameterExists[] = "a Parameter named, %s, already exists.";
inline constexpr char SppParameterMissing[] = "No parameter named, %s, exists";

// Pages
inline constexpr char SppSecondOutlineCommand[] = "Cannot add more than one draw outline command per page.";
inline constexpr char SppPageChildNotDrawCommand[] = "A page holds draw commands only, not a ";

// Producers
inline constexpr char SppNoPreviewer[] = "No preview form is registered.";
// A report printed to a device that no started library registered must not end as an empty success.
inline constexpr char SppNoDeviceClass[] =
    "No device class is registered for the device type \"%s\"; start the pp output library "
    "(InitializePPReportOutput or InitializePPForms) before printing.";
inline constexpr char SppNoFormClass[] = "No form class is registered for the dialog kind %s.";
inline constexpr char SppFormNotOfKind[] = "The form class %s registered for the dialog kind %s does not serve it.";
inline constexpr char SppFileDeviceExists[] = "The file device has already been created.";
inline constexpr char SppBackgroundScreen[] = "Cannot print to the screen in the background.";
inline constexpr char SppBackgroundUnavailable[] = "No background print manager is installed.";
// Shown before a report stored before 4.0 is printed for the first time.
inline constexpr char SppConvertBeforePrinting[] = "This report will be converted to 4.0 format before printing.";

// Report templates
inline constexpr char SppTemplateNotStored[] =
    "The template was not stored: the data pipeline does not keep the field %s of record %s.";
inline constexpr char SppTemplateClassRefused[] = "A report template cannot hold a %s.";

// Text search settings
inline constexpr char SppCannotRegisterComponents[] = "Unable to register component classes.";
inline constexpr char SppCannotUnregisterComponents[] = "Unable to unregister component classes.";
inline constexpr char SppNotOnPalette[] = "the class has no place on the palette.";
inline constexpr char SppParentReportCycle[] = "A report cannot be its own parent report.";
inline constexpr char SppSearchWalkieTalkieFreed[] = "Don't free the embedded walkie talkie!";

// The outline
inline constexpr char SppOutlineReportIsNil[] = "Report is nil.";
inline constexpr char SppOutlineNoParticipant[] =
    "The outline participant does not support the IppOutlineParticipant interface.";
inline constexpr char SppOutlineNotACreator[] = "The participant's node creator class does not make node creators.";
inline constexpr char SppOutlineIsNil[] = "Outline is nil";
inline constexpr char SppNodeCreatorComponentIsNil[] = "NodeCreatorComponent is nil";
// The one node of a report whose pages come and go with drill-down.
inline constexpr char SppNoOutlineDrillDown[] = "NoOutline: DrillDown not supported";
