// Writes the seed corpus of fuzz_blob_picture (fuzz/corpus/fuzz_blob_picture): a BMP, a JPEG in
// colour and in grey, a picture of another kind and a JPEG cut short.
//   fuzz_blob_picture_seeds <repository folder>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/app/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Jpeg.h"

namespace {
std::filesystem::path Folder;

void Save(const std::string& Name, const std::string& Bytes) {
  std::ofstream(Folder / Name, std::ios::binary).write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

TBitmap Sample(int W, int H) {
  TBitmap B(W, H);
  B.Canvas().Brush().SetColor(clRed);
  B.Canvas().FillRect(Rect(0, 0, W / 2, H));
  return B;
}

std::string Jpeg(const TBitmap& B) {
  TJPEGImage J;
  J.CompressFrom(B, 75);
  return std::string(J.Data().begin(), J.Data().end());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  Folder = std::filesystem::path(argv[1]) / "fuzz/corpus/fuzz_blob_picture";
  std::filesystem::create_directories(Folder);
  TBitmap B = Sample(12, 6);
  TMemoryStream S;
  B.SaveToStream(S);
  Save("bitmap.bmp", std::string(reinterpret_cast<const char*>(S.Memory()), S.Bytes().size()));
  std::string J = Jpeg(B);
  Save("colour.jpg", J);
  Save("cut.jpg", J.substr(0, J.size() / 2));
  Save("other.gif", std::string("GIF89a\x02\x00\x01\x00\x00\x00\x00;", 13));
  FinalizeApplication();
  return 0;
}
