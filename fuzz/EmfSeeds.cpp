// Writes the seed corpus of the EMF fuzz target (fuzz/corpus/fuzz_emf): pages
// recorded through the canvas and the files the player tests build as other
// programs write them (window and viewport mappings, turned text, DIBs).
//   fuzz_emf_seeds <repository folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/app/Application.h"
#include "platform/graphics/Metafile.h"
#include "tests/platform/graphics/EmfFixtures.h"

namespace {
std::filesystem::path Folder;

void Save(const std::string& Name, const std::vector<uint8_t>& Bytes) {
  std::ofstream(Folder / Name, std::ios::binary)
      .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

// A page recorded through the canvas: text, shapes, a clip, a picture in a picture.
std::vector<uint8_t> RecordedPage(bool WithImages) {
  TMetafile Inner;
  Inner.SetWidth(20);
  Inner.SetHeight(20);
  {
    TMetafileCanvas C(Inner);
    C.SelectClipRect(nullptr);
    C.Brush().SetColor(clRed);
    C.FillRect(Rect(0, 0, 20, 20));
  }
  TMetafile M;
  M.SetWidth(400);
  M.SetHeight(300);
  {
    TMetafileCanvas C(M);
    TBitmap Bmp;
    TJPEGImage Jpg;
    if (WithImages) {
      emftest::FixtureGraphics(Bmp, Jpg);
      emftest::DrawFixturePage(C, Bmp, Jpg);
    } else {
      C.Font().SetName("Times New Roman");
      C.TextOut(10, 10, "Página 1");
      C.Font().SetOrientation(900);
      C.TextOut(20, 200, "Eixo");
    }
    auto Saved = SaveDCScope(C);
    C.IntersectClipRect(Rect(300, 200, 340, 240));
    C.StretchDraw(Rect(300, 200, 380, 280), Inner);
  }
  return M.Data();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fuzz_emf_seeds <repository folder>\n");
    return 2;
  }
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  Folder = std::filesystem::path(argv[1]) / "fuzz/corpus/fuzz_emf";
  std::filesystem::create_directories(Folder);
  using namespace emftest;

  Save("recorded-page.emf", RecordedPage(true));
  Save("recorded-text-clip-nested.emf", RecordedPage(false));
  Save("foreign-anisotropic-dib-ansi-text.emf", ForeignEmf());
  const uint32_t Neg54 = uint32_t(-54);
  Save("clip-art-anisotropic.emf", ClipArtEmf({{17, 8, 0}, {9, 1446, 1420}, {11, 55, 54}}, Rect(0, 0, 723, 710)));
  Save("clip-art-y-up.emf",
       ClipArtEmf({{17, 8, 0}, {9, 1446, 1420}, {12, 0, 54}, {11, 55, Neg54}}, Rect(0, 0, 723, 710)));
  Save("clip-art-described.emf", WithDescription(ClipArtEmf({{17, 8, 0}, {9, 1446, 1420}, {11, 55, 54}},
                                                             Rect(0, 0, 723, 710)),
                                                  u"Galeria de imagens\0Desenho 7\0\0"));
  Save("clip-art-isotropic.emf", ClipArtEmf({{17, 7, 0}, {11, 55, 54}, {9, 1446, 1420}}, Rect(0, 0, 723, 710)));
  Save("axis-title-compatible.emf", TurnedTextEmf(1, false, 2700));
  Save("axis-title-advanced.emf", TurnedTextEmf(2, true, 2700));
  Save("text-without-advances.emf", PlainTextEmf());
  Save("pattern-brushes.emf", PatternBrushEmf());
  return 0;
}
