// Writes the seed corpora of the component-stream fuzz targets: valid binary
// streams of the fuzz classes (fuzz/corpus/fuzz_component_stream) and their
// text form (fuzz/corpus/fuzz_component_text).
//   fuzz_component_seeds <repository folder>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>

#include "fuzz/ComponentFuzzClasses.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"

namespace {
void Save(const std::filesystem::path& File, TMemoryStream& S) {
  std::filesystem::create_directories(File.parent_path());
  std::ofstream(File, std::ios::binary).write(reinterpret_cast<const char*>(S.Memory()), S.Size());
}

void Seed(const std::filesystem::path& Repo, const std::string& Name, const std::function<void(TFzRoot&)>& Fill) {
  TFzRoot Root(nullptr);
  Root.SetName("Root");
  Fill(Root);
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, &Root);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  Save(Repo / "fuzz/corpus/fuzz_component_stream" / (Name + ".bin"), Bin);
  Save(Repo / "fuzz/corpus/fuzz_component_text" / (Name + ".txt"), Text);
}

TFzItem* Item(TFzRoot& Root, const std::string& Name) {
  auto* I = new TFzItem(&Root);
  I->SetName(Name);
  return I;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <repository folder>\n", argv[0]);
    return 2;
  }
  std::filesystem::path Repo = argv[1];
  RegisterFuzzClasses();
  Seed(Repo, "empty", [](TFzRoot&) {});
  Seed(Repo, "every-kind", [](TFzRoot& R) {
    TFzItem* A = Item(R, "Primeiro");
    TFzItem* B = Item(R, "Segundo");
    A->Small = -7;
    A->Huge = 1234567890123LL;
    A->Letter = 'Z';
    A->Kind = fkC;
    A->Kinds = (1u << fkA) | (1u << fkC);
    A->Flag = true;
    A->Ext = 3.14159265358979L;
    A->Single = 2.5f;
    A->Date = 45123.75;
    A->Money = 1234.5678L;
    A->Text = "Relatório de vendas — página 1";
    A->Buddy = B;
    A->Pen.Width = 3;
    A->Pen.Blob = {0, 1, 2, 0xFE, 0xFF};
    auto* C1 = static_cast<TFzCell*>(A->Cells.Add());
    C1->Caption = "Cabeçalho";
    C1->Link = B;
    static_cast<TFzCell*>(A->Cells.Add())->Caption = "Rodapé";
    A->Lines.Add("linha um");
    A->Lines.Add("");
    A->Lines.Add("linha 'três'");
    A->OnPing.SetMethod("Ping", [&R](TObject* S) { R.Ping(S); });
    B->Small = 1;
  });
  Seed(Repo, "extremes", [](TFzRoot& R) {
    TFzItem* A = Item(R, "Limites");
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
  Seed(Repo, "many-items", [](TFzRoot& R) {
    for (int I = 0; I < 20; ++I) {
      TFzItem* A = Item(R, "Item" + std::to_string(I));
      A->Small = I * 1000;
      A->Kind = static_cast<TFzKind>(I % 3);
      A->Text = std::string(static_cast<size_t>(I), 'a');
    }
  });
  return 0;
}
