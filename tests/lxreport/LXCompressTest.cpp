#include "lxreport/LXCompress.h"

#include <gtest/gtest.h>

#include <random>

#include "lxreport/LXError.h"

namespace {
std::vector<uint8_t> Encode(const std::vector<uint8_t>& In) {
  TMemoryStream Out;
  {
    TLXCompress C(&Out, true);
    C.CompressBuffer(In.data(), In.size());
  }
  return Out.Bytes();
}
}  // namespace

TEST(LXCompressTest, KnownVectors) {
  struct Case {
    std::vector<uint8_t> In, Out;
  };
  const Case Cases[] = {
      {{}, {}},
      {{0x00}, {0x80}},
      {{0xFF}, {0x00, 0x00}},  // byte 255 starts at 9 bits
      {{'A'}, {0x42}},
      {{'A', 'A', 'A', 'A'}, {0x42, 0x47}},
      {{'A', 'B', 'A', 'B'}, {0x42, 0xBF, 0x0D}},
      {std::vector<uint8_t>(8, 0), {0x80, 0xCF, 0x07}},
  };
  for (const Case& C : Cases) EXPECT_EQ(Encode(C.In), C.Out) << C.In.size();
}

TEST(LXCompressTest, RoundTripStopsWhereEncoderEnded) {
  std::mt19937 Rng(7);
  for (size_t Len : {1u, 2u, 3u, 100u, 5000u, 70000u}) {
    std::vector<uint8_t> In(Len);
    // Skewed data exercises deep paths and heavy splaying.
    for (auto& B : In) B = static_cast<uint8_t>(Rng() % 3 == 0 ? Rng() : Rng() % 4);
    std::vector<uint8_t> Coded = Encode(In);
    TMemoryStream S;
    S.WriteBuffer(Coded.data(), static_cast<int64_t>(Coded.size()));
    S.WriteInt32(0x7F7F7F7F);  // what follows must stay unread
    S.SetPosition(0);
    std::vector<uint8_t> Out(Len);
    {
      TLXCompress D(&S, false);
      D.ExpandBuffer(Out.data(), Len);
    }
    EXPECT_EQ(Out, In);
    EXPECT_EQ(S.Position(), static_cast<int64_t>(Coded.size())) << Len;
  }
}

TEST(LXCompressTest, TruncatedInputRaises) {
  std::vector<uint8_t> Coded = Encode(std::vector<uint8_t>(100, 0xFF));
  TBytesStream S(Coded.data(), static_cast<int64_t>(Coded.size() / 2));
  TLXCompress D(&S, false);
  std::vector<uint8_t> Out(100);
  EXPECT_THROW(D.ExpandBuffer(Out.data(), Out.size()), ELXError);
}
