#include "platform/graphics/Metafile.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/rtl/SysUtils.h"

namespace {
// Header record (88 bytes) plus an EOF record (20 bytes).
std::vector<uint8_t> TinyEmf() {
  std::vector<uint8_t> B(108, 0);
  auto Put = [&](size_t At, uint32_t V) { std::memcpy(&B[At], &V, 4); };
  Put(0, 1);            // EMR_HEADER
  Put(4, 88);           // header size
  Put(40, 0x464D4520);  // " EMF"
  Put(44, 0x10000);     // version
  Put(48, 108);         // total bytes
  Put(52, 2);           // records
  Put(88, 14);          // EMR_EOF
  Put(92, 20);
  Put(104, 20);
  return B;
}
}  // namespace

TEST(MetafileTest, LoadConsumesExactlyTheHeaderCount) {
  std::vector<uint8_t> Emf = TinyEmf();
  TMemoryStream S;
  S.WriteBuffer(Emf.data(), Emf.size());
  S.WriteInt32(0x12345678);  // whatever follows stays unread
  S.SetPosition(0);
  TMetafile M;
  M.LoadFromStream(S);
  EXPECT_EQ(S.Position(), 108);
  EXPECT_EQ(M.Data(), Emf);
  TMemoryStream Out;
  M.SaveToStream(Out);
  EXPECT_EQ(Out.Bytes(), Emf);
}

TEST(MetafileTest, BadBytesRaiseInvalidMetafile) {
  std::vector<uint8_t> Good = TinyEmf();
  auto Corrupt = [&](size_t At, uint8_t V) {
    auto B = Good;
    B[At] = V;
    return B;
  };
  const std::vector<std::vector<uint8_t>> Bad = {
      {}, std::vector<uint8_t>(Good.begin(), Good.begin() + 60),  // short header
      std::vector<uint8_t>(Good.begin(), Good.end() - 1),         // short body
      Corrupt(0, 2), Corrupt(40, 'X'), Corrupt(50, 0x10),         // type, signature, huge size
      Corrupt(48, 10),                                            // size below the header
  };
  for (const auto& B : Bad) {
    TBytesStream S(B.data(), static_cast<int64_t>(B.size()));
    TMetafile M;
    try {
      M.LoadFromStream(S);
      ADD_FAILURE() << "loaded " << B.size() << " bytes";
    } catch (const EInvalidGraphic& E) {
      EXPECT_EQ(E.Message(), "Metafile inválido");
    }
  }
}
