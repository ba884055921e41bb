#pragma once
// The report components that print a barcode: TppBarCode (data typed into the report) and
// TppDBBarCode (data read from a pipeline field), on their common base TppCustomBarCode. The
// component keeps the symbology settings, checks its data against the symbology, sizes itself to
// the symbol when AutoSize is on, and hands each page a TppDrawBarCode that encodes and draws.
//
// Settings that do not suit the symbology are refused with an information message at design time
// (never while loading or printing); nothing is raised and the property keeps its value.
#include <cstdint>
#include <memory>
#include <string>

#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppCtrls.h"

class TppCustomBarCode : public TppCustomComponent {
  DECLARE_CLASSINFO(TppCustomBarCode)
public:
  explicit TppCustomBarCode(TComponent* AOwner);
  ~TppCustomBarCode() override;

  // ---- settings
  TppBarCodeType BarCodeType() const { return FBarCodeType; }
  virtual void SetBarCodeType(TppBarCodeType Value);
  const std::string& Data() const { return FData; }
  void SetData(const std::string& Value);
  const std::string& AddOnCode() const { return FAddOnCode; }
  void SetAddOnCode(const std::string& Value);
  bool AutoEncode() const { return FAutoEncode; }
  void SetAutoEncode(bool Value);
  bool AutoSizeFont() const { return FAutoSizeFont; }
  void SetAutoSizeFont(bool Value);
  TColor BarColor() const { return FBarColor; }
  void SetBarColor(TColor Value);
  // The narrowest element in Units; held in thousandths of a millimetre.
  float BarWidth() const;
  void SetBarWidth(float Value);
  int32_t mmBarWidth() const { return FBarWidth; }
  void SetmmBarWidth(int32_t Value);
  bool BearerBars() const { return FBearerBars; }
  void SetBearerBars(bool Value);
  bool CalcCheckDigit() const { return FCalcCheckDigit; }
  void SetCalcCheckDigit(bool Value);
  TppBarCodeOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TppBarCodeOrientation Value);
  bool PrintHumanReadable() const { return FPrintHumanReadable; }
  void SetPrintHumanReadable(bool Value);
  // Wide-to-narrow ratio; held like a length in inches (3 is 76200).
  float WideBarRatio() const;
  void SetWideBarRatio(float Value);
  int32_t mmWideBarRatio() const { return FWideBarRatio; }

  // True when the data was good at the last check.
  bool CodeOK() const { return FCodeOK; }
  int32_t AutoSizedWidth() const { return FAutoSizedWidth; }
  int32_t AutoSizedHeight() const { return FAutoSizedHeight; }

  // ---- operations
  // An information message with OK, unless loading, being read or printing.
  virtual void ShowDesignMessage(const std::string& Text);
  // The data the draw command encodes.
  virtual std::string GetData();
  // The data shown when a symbology is chosen (and by a data-aware barcode without data).
  std::string GetSampleData() const;
  // False for empty data (silently) and for data the symbology refuses (with its message unless Quiet).
  bool ValidateData(const std::string& Value, bool Quiet = false);
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  // ---- overrides
  void RecalcSize() override;
  std::string GetCaption() override;
  void SetCaption(const std::string& Value) override;
  std::string GetDefaultPropHint() const override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void SetAutoSize(bool Value) override;
  void SetFont(const TFont* Value) override;
  void DefineProperties(TFiler* Filer) override;

protected:
  void FontChanged() override;
  // Announce, store, recalculate, send; while reading or loading only store.
  template <class T>
  void Change(const char* Name, T& Field, T Value);
  // The first-use measuring command; sizes the component from it when its data is good.
  void MeasureDrawCommand();

private:
  TppBarCodeType FBarCodeType = bcCode39;
  std::string FData = "Barcode";
  std::string FAddOnCode;
  bool FAutoEncode = false, FAutoSizeFont = true;
  TColor FBarColor = clBlack;
  int32_t FBarWidth = 254;  // 0.01 inch
  bool FBearerBars = false, FCalcCheckDigit = true, FCodeOK = true;
  TppBarCodeOrientation FOrientation = orLeftToRight;
  bool FPrintHumanReadable = true;
  int32_t FWideBarRatio = 76200;
  int FUpdateCount = 0;
  bool FSizing = false;
  std::unique_ptr<TppDrawBarCode, TComponentDeleter> FSizer;
  int32_t FAutoSizedWidth = 0, FAutoSizedHeight = 0;
};

class TppBarCode : public TppCustomBarCode {
  DECLARE_CLASSINFO(TppBarCode)
public:
  explicit TppBarCode(TComponent* AOwner);
  ~TppBarCode() override;
};

class TppDBBarCode : public TppCustomBarCode {
  DECLARE_CLASSINFO(TppDBBarCode)
public:
  explicit TppDBBarCode(TComponent* AOwner);
  ~TppDBBarCode() override;
  bool IsDataAware() const override { return true; }
  // The field's value as text (no display format); the empty text for values that do not read or
  // convert. Without data: empty while printing, else the sample data.
  std::string GetData() override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void SetCaption(const std::string& Value) override;
  void SetDataField(const std::string& Value) override;
};

// Registers the barcode components for streaming (with the generation library's start-up).
void InitializeBarCodeUnit();
void FinalizeBarCodeUnit();
