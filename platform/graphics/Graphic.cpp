#include "platform/graphics/Graphic.h"

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(F);
}

void TGraphic::SaveToFile(const std::string& FileName) const {
  TFileStream F(FileName, fmCreate);
  SaveToStream(F);
}
