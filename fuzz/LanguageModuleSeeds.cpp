// Writes the seed corpus of fuzz_language_module (fuzz/corpus/fuzz_language_module): an empty
// module, texts with placeholders and accents, a long text, a module with pictures (one named in
// bytes that are not ASCII), and one cut short.
//   fuzz_language_module_seeds <repository folder>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/classes/Streams.h"
#include "ppreport/core/ppLanguageModule.h"

namespace {
std::filesystem::path Folder;

std::string Bytes(const TppLanguageModuleData& M) {
  TMemoryStream S;
  WriteLanguageModule(M, S);
  return std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

void Save(const std::string& Name, const std::string& B) {
  std::ofstream(Folder / Name, std::ios::binary).write(B.data(), static_cast<std::streamsize>(B.size()));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  Folder = std::filesystem::path(argv[1]) / "fuzz/corpus/fuzz_language_module";
  std::filesystem::create_directories(Folder);
  Save("empty.mrlm", Bytes({}));
  TppLanguageModuleData Texts;
  Texts.Strings = {{43016, "of"},
                   {43018, "Página"},
                   {43027, "Printing page <page> of <documentname> on <printername>"},
                   {43001, "100 %"},
                   {43074, "< nome > <FindText>"},
                   {43005, ""}};
  const std::string T = Bytes(Texts);
  Save("texts.mrlm", T);
  Save("cut.mrlm", T.substr(0, T.size() / 2));
  TppLanguageModuleData Long;
  Long.Strings = {{1, std::string(1100, 'a') + "é"}};
  Save("long-text.mrlm", Bytes(Long));
  TppLanguageModuleData Picture;
  Picture.Strings = {{43017, "OK"}};
  // A 1 x 1 white 24-bit BMP.
  const uint8_t Bmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                         24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0};
  Picture.Bitmaps = {{"PPPRINT", std::vector<uint8_t>(std::begin(Bmp), std::end(Bmp))}, {"ppglyph", {0, 1}}};
  const std::string P = Bytes(Picture);
  Save("picture.mrlm", P);
  // A picture name that is not ASCII (found by the fuzzer: the reader must refuse what the writer cannot write).
  std::string Accented = P;
  Accented[P.find("PPPRINT")] = '\xFC';
  Save("picture-name-not-ascii.mrlm", Accented);
  return 0;
}
