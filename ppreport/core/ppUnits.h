#pragma once
// The start-up and shutdown of each unit of the core library (internal: PPReport.cpp runs them
// in the order of its unit table). A unit's Initialize registers what it brings (streaming
// classes, descriptors, enumerations, palette entries); its Finalize removes exactly that.
#include <initializer_list>

struct TClassInfo;

void InitializeTypesUnit();  // ppTypes: the enumeration registry and the library's 30 types
void FinalizeTypesUnit();
void InitializeRTTIUnit();  // ppRTTI: the descriptor registry with the TObject and TComponent descriptors
void FinalizeRTTIUnit();
void InitializeCommUnit();  // ppComm: TppCommunicator and its descriptor
void FinalizeCommUnit();
void InitializeRelativeUnit();  // ppRelatv: TppRelative and its descriptor
void FinalizeRelativeUnit();
void InitializeTreeNodeUnit();  // ppTreeNode: TppTreeNode and its descriptor
void FinalizeTreeNodeUnit();

void InitializeLanguageUnit();  // ppLanguage: nothing (the resource manager is made on first use)
void FinalizeLanguageUnit();    // frees the resource manager and its modules
void InitializeUtilsUnit();  // ppUtils: the thread that starts the library is the main thread
void FinalizeUtilsUnit();
void InitializePaletteUnit();  // ppPalette: installs the register and unregister component hooks
void FinalizePaletteUnit();    // clears them; frees the registry and what it still holds
void InitializeDisplayFormatUnit();  // ppDisplayFormat: the base class formats values
void FinalizeDisplayFormatUnit();    // no class formats values
void InitializeGraphicsUnit();  // ppGraphics: TppFont for streaming
void FinalizeGraphicsUnit();
void InitializeCacheUnit();  // ppCache: the TppCacheable descriptor
void FinalizeCacheUnit();
void InitializeDBUnit();  // ppDB: TppField, TppMasterFieldLink; the pipeline and field descriptors
void FinalizeDBUnit();
void InitializeDataSetPipeUnit();  // ppDataSetPipe: TppDataSetPipeline for streaming
void FinalizeDataSetPipeUnit();
void InitializeParameterUnit();  // ppParameter: TppParameter, TppParameterList; the list's descriptor
void FinalizeParameterUnit();
void InitializeAutoSearchUnit();  // ppAutoSearch: criteria and their groups; the criterion's descriptor
void FinalizeAutoSearchUnit();
void InitializePrinterUnit();  // ppPrinter: the printer setup's descriptor
void FinalizePrinterUnit();    // also frees the shared printer, the printer list and "No Printer Installed"
void InitializeDrawCommandUnit();  // ppDrwCmd: the seven draw command classes, the text command's descriptor
void FinalizeDrawCommandUnit();
void InitializeDeviceUnit();  // ppDevice: TppPage, TppPageRequest; the draw command and page descriptors
void FinalizeDeviceUnit();    // also frees the device class list
void InitializeOutlineUnit();  // ppOutline: outline settings, nodes and the outline draw command for streaming
void FinalizeOutlineUnit();
void InitializeProducerUnit();  // ppProd: TppProducer, TppPrinterSetup; the producer's descriptor; "tlPrint"
void FinalizeProducerUnit();
void InitializeModelUnit();  // ppClass: TppGroup; the printable, component, band and group descriptors
void FinalizeModelUnit();
void InitializeTemplateUnit();  // ppTmplat: the report module template for streaming, the template descriptors
void FinalizeTemplateUnit();

// Streaming classes of a unit, registered with the class library and remembered, so that the
// library can tell what it has left registered (RegisteredPPClasses, PPReport.h).
void RegisterPPClasses(std::initializer_list<const TClassInfo*> Classes);
void UnregisterPPClasses(std::initializer_list<const TClassInfo*> Classes);
