#include "ppreport/core/ppTypes.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/printing/Printers.h"

namespace {

// Every error of the library is caught as ETalvorError, whatever its depth in the tree.
TEST(ppTypesTest, EveryErrorIsATalvorError) {
  const std::vector<std::pair<std::string, std::function<void()>>> Raisers{
      {"EPrintError", [] { throw EPrintError("x"); }},
      {"EDataError", [] { throw EDataError("x"); }},
      {"EDesignError", [] { throw EDesignError("x"); }},
      {"EInvalidPropertyError", [] { throw EInvalidPropertyError("x"); }},
      {"ETemplateLoadError", [] { throw ETemplateLoadError("x"); }},
      {"ETemplateSaveError", [] { throw ETemplateSaveError("x"); }},
      {"EInvalidTemplateError", [] { throw EInvalidTemplateError("x"); }},
      {"EOutlineError", [] { throw EOutlineError("x"); }},
      {"EBackgroundPrintError", [] { throw EBackgroundPrintError("x"); }},
      {"EBackgroundPrintTimeoutError", [] { throw EBackgroundPrintTimeoutError("x"); }},
      {"EParameterError", [] { throw EParameterError("x"); }},
  };
  for (const auto& [Name, Raise] : Raisers) {
    try {
      Raise();
      ADD_FAILURE() << Name << " was not raised";
    } catch (const ETalvorError& E) {
      EXPECT_EQ(Name, E.ClassName());
    }
  }
  EXPECT_THROW(throw EBackgroundPrintTimeoutError("x"), EBackgroundPrintError);
  EXPECT_EQ("TppDetailBandEngine.SetBand: Band must be a TppDetailBand.",
            ppErrorText("TppDetailBandEngine", "SetBand", "Band must be a TppDetailBand."));
}

// What the library registers at start-up: 30 types, the class library's among them, in order.
TEST(ppTypesTest, StartUpRegistersTheLibrarysTypes) {
  const auto& List = GetEnumTypeList();
  // The types unit's 30, then the preview form settings' two (the producer's unit owns them).
  ASSERT_EQ(32u, List.size());
  EXPECT_EQ("Boolean", List.front().Name);
  EXPECT_EQ("TPrinterOrientation", List[29].Name);
  EXPECT_EQ(&EnumInfo<TPrinterOrientation>(), List[29].TypeInfo);
  const TEnumInfo* Units = FindEnumType("tppunittype");
  ASSERT_NE(nullptr, Units);
  EXPECT_EQ(4, Units->IndexOf("utMMThousandths"));
  EXPECT_EQ("bsDiagCross", FindEnumType("TBrushStyle")->NameOf(7));
  EXPECT_EQ("stCircle", FindEnumType("TShapeType")->NameOf(5));
  EXPECT_EQ("True", FindEnumType("Boolean")->NameOf(1));
  // Registered by the units that own them (preview settings, bands), not by the types unit.
  EXPECT_EQ(&EnumInfo<TppZoomSettingType>(), FindEnumType("TppZoomSettingType"));
  EXPECT_EQ("wsMaximized", FindEnumType("TWindowState")->NameOf(2));
}

TEST(ppTypesTest, RegistryReplacesByNameInAnyCaseAndIgnoresUnknownRemovals) {
  const size_t Before = GetEnumTypeList().size();
  RegisterEnumType("TppTestKind", EnumInfo<TppSortOrderType>());
  RegisterEnumType("TPPTESTKIND", EnumInfo<TppZoomSettingType>());
  ASSERT_EQ(Before + 1, GetEnumTypeList().size());
  EXPECT_EQ("TppTestKind", GetEnumTypeList().back().Name);
  EXPECT_EQ(&EnumInfo<TppZoomSettingType>(), FindEnumType("tpptestkind"));
  UnregisterEnumType("TppNeverRegistered");
  EXPECT_EQ(Before + 1, GetEnumTypeList().size());
  UnregisterEnumType("tppTestKind");
  EXPECT_EQ(Before, GetEnumTypeList().size());
  EXPECT_EQ(nullptr, FindEnumType("TppTestKind"));
}

// Stream texts are the value names, ordinals the declared order.
TEST(ppTypesTest, EnumerationsStreamByValueName) {
  EXPECT_EQ("dtGUID", EnumInfo<TppDataType>().NameOf(dtGUID));
  EXPECT_EQ(18, dtGUID);
  EXPECT_EQ(13, EnumInfo<TppSearchOperatorType>().IndexOf("soNotBlank"));
  EXPECT_EQ("lgPortugueseBrazil", EnumInfo<TppLanguageType>().NameOf(lgPortugueseBrazil));
  EXPECT_EQ(0x0Au, ppSetBit(atTop) | ppSetBit(atBottom));
}

}  // namespace
