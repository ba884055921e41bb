// Writes the seed corpus of fuzz_graphic_registry (fuzz/corpus/fuzz_graphic_registry): each tiny
// picture of the test fixtures by its first bytes and by its registry name, and a damaged JPEG.
//   fuzz_graphic_registry_seeds <repository folder>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/app/Application.h"
#include "ppreport/generation/ppCtrlsImage.h"
#include "tests/platform/graphics/PictureFixtures.h"

namespace {
std::filesystem::path Folder;

void Save(const std::string& Name, char Way, const std::string& Bytes) {
  const std::string All = std::string(1, Way) + Bytes;
  std::ofstream(Folder / Name, std::ios::binary).write(All.data(), static_cast<std::streamsize>(All.size()));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  Folder = std::filesystem::path(argv[1]) / "fuzz/corpus/fuzz_graphic_registry";
  std::filesystem::create_directories(Folder);
  const std::vector<std::string> Names = GetGraphicClassNames();
  auto Way = [&](const std::string& Name) {
    auto It = std::find(Names.begin(), Names.end(), Name);
    return static_cast<char>(It == Names.end() ? 0 : It - Names.begin() + 1);
  };
  using namespace picturefixtures;
  const std::string Jpg = Jpeg();
  for (auto [Name, Type, Bytes] : {std::tuple{"bitmap", "Bitmap", Bmp()}, {"jpeg", "JPEG", Jpg},
                                   {"metafile", "MetaFile", Emf()}, {"png", "PNG", Png()}, {"gif", "GIF", Gif()}}) {
    Save(std::string(Name) + "-signature", 0, Bytes);
    Save(std::string(Name) + "-named", Way(Type), Bytes);
  }
  Save("jpeg-cut", Way("JPEG"), Jpg.substr(0, Jpg.size() / 2));
  FreeGraphicClassList();
  FinalizeApplication();
  return 0;
}
