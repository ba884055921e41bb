// Writes the seed corpora of the component-stream fuzz targets: valid binary
// streams of the filer tests' component model (fuzz/corpus/fuzz_component_stream)
// and their text form (fuzz/corpus/fuzz_component_text).
//   fuzz_component_seeds <repository folder>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "tests/platform/classes/FilerTestClasses.h"

namespace {
void Save(const std::filesystem::path& File, TMemoryStream& S) {
  std::filesystem::create_directories(File.parent_path());
  std::ofstream(File, std::ios::binary).write(reinterpret_cast<const char*>(S.Memory()), S.Size());
}

void Seed(const std::filesystem::path& Repo, const std::string& Name, TComponent& Root) {
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, &Root);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  Save(Repo / "fuzz/corpus/fuzz_component_stream" / (Name + ".bin"), Bin);
  Save(Repo / "fuzz/corpus/fuzz_component_text" / (Name + ".txt"), Text);
}

void Seed(const std::filesystem::path& Repo, const std::string& Name, const std::function<void(TForm&)>& Fill) {
  TForm Root(nullptr);
  Root.SetName("Root");
  Fill(Root);
  Seed(Repo, Name, Root);
}

TWidget* Widget(TForm& Root, const std::string& Name) {
  auto* W = new TWidget(&Root);
  W->SetName(Name);
  return W;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <repository folder>\n", argv[0]);
    return 2;
  }
  std::filesystem::path Repo = argv[1];
  RegisterFilerClasses();
  Seed(Repo, "empty", [](TForm&) {});
  Seed(Repo, "every-kind", *MakeTree());
  Seed(Repo, "extremes", [](TForm& R) {
    TWidget* A = Widget(R, "Limites");
    A->Small = std::numeric_limits<int>::min();
    A->Huge = std::numeric_limits<int64_t>::min();
    A->Ext = -1.0e4000L;
    A->Single = std::numeric_limits<float>::max();
    A->Money = -92233720368547.5807L;
    A->Text = std::string(300, 'x') + "\x01\x7f";
    A->Buddy = A;
    A->Pen.Blob.assign(300, 0xAB);
    for (int I = 0; I < 40; ++I) A->Lines.Add(std::to_string(I));
  });
  Seed(Repo, "many-items", [](TForm& R) {
    for (int I = 0; I < 20; ++I) {
      TWidget* A = Widget(R, "Item" + std::to_string(I));
      A->Small = I * 1000;
      A->Tone = static_cast<TTone>(I % 3);
      A->Text = std::string(static_cast<size_t>(I), 'a');
    }
  });
  return 0;
}
