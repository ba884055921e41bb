#pragma once
// The picture controls and the graphic classes they decode with. TppCustomImage holds a picture and
// hands it, with its placement options, to a TppDrawImage (the devices stretch, centre and keep the
// aspect); TppImage prints a picture stored in the report; TppDBImage loads one for every record:
// from a blob field decoded by the graphic class its GraphicType names, from a file whose name a
// text field holds, or from its OnGetPicture handler.
//
// Bytes that do not decode while the report generates stop the run with the print error naming the
// image; outside a run the image is simply empty.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Picture.h"
#include "ppreport/core/ppGraphics.h"
#include "ppreport/generation/ppCtrls.h"

// ---- the graphic class registry: GraphicType names ("Bitmap", "JPEG") to graphic classes

// Registers Class under Name (matched without regard to case); an existing name is replaced.
void RegisterGraphicClass(const std::string& Name, const TGraphicClass& Class);
// The class registered under Name, or null.
const TGraphicClass* GetGraphicClass(const std::string& Name);
// The registered names, sorted.
std::vector<std::string> GetGraphicClassNames();
// A new graphic of the class registered under Name, loaded from the stream's position to its end.
// Raises EInvalidGraphic for an unknown name or bytes the class refuses.
std::unique_ptr<TGraphic> LoadGraphic(const std::string& Name, TStream& Stream);
// The unit's shutdown: the list is built again on next use.
void FreeGraphicClassList();

class TppCustomImage : public TppCustomComponent {
  DECLARE_CLASSINFO(TppCustomImage)
public:
  explicit TppCustomImage(TComponent* AOwner);
  ~TppCustomImage() override;

  // ---- properties
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool DirectDraw() const { return FDirectDraw; }
  void SetDirectDraw(bool Value);
  bool MaintainAspectRatio() const { return FMaintainAspectRatio; }
  void SetMaintainAspectRatio(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  // Counts picture changes on new pages; part of the image name.
  int ImageNumber() const { return FImageNumber; }

  // ---- the picture
  virtual void PictureChanged();
  virtual TppPicture* GetPicture();
  // Copies the picture (null clears it).
  virtual void SetPicture(const TppPicture* Value);

  // ---- overrides
  void SetAutoSize(bool Value) override;
  void SetTransparent(bool Value) override;
  std::string GetCaption() override;
  bool HasColor() const override { return false; }
  bool HasFont() const override { return false; }
  void Init() override;
  void CalcPrintPosition() override;
  void ConvertFromVersion(int Version) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;

protected:
  // The picture itself, without loading.
  TppPicture& PictureHolder() { return FPicture; }

private:
  TppPicture FPicture;
  bool FCenter = true, FDirectDraw = false, FMaintainAspectRatio = false, FStretch = false;
  int FImageNumber = 0;
};

class TppImage : public TppCustomImage {
  DECLARE_CLASSINFO(TppImage)
public:
  explicit TppImage(TComponent* AOwner);
  ~TppImage() override;
};

class TppDBImage : public TppCustomImage {
  DECLARE_CLASSINFO(TppDBImage)
public:
  explicit TppDBImage(TComponent* AOwner);
  ~TppDBImage() override;

  bool AutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool Value);
  const std::string& GraphicType() const { return FGraphicType; }
  // Only a registered name that differs from the current one is taken.
  void SetGraphicType(const std::string& Value);

  // Loads the picture for the current record (or from the handler).
  void LoadPicture();

  TppPicture* GetPicture() override;
  std::string GetDescription() const override;
  bool IsDataAware() const override { return true; }
  void SetDataField(const std::string& Value) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;

  TppPictureEvent OnGetPicture;

private:
  bool ScriptListens() const;
  void LoadFromData(TPicture& Picture);
  // A picture that did not decode: the print error while the report generates, else no picture.
  void DecodeFailed(TPicture& Picture);

  bool FAutoDisplay = true;
  std::string FGraphicType = "Bitmap";
};

void InitializeImageUnit();
void FinalizeImageUnit();
