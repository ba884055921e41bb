#include "ppreport/core/ppReaderUtils.h"

#include <gtest/gtest.h>

#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/RtlMath.h"

namespace {

// The property list of one object, as a component stream holds it: Left = 5, an old
// "DataPipeline" naming its pipeline by identifier, Width = 12.9 stored as extended, the end.
std::vector<uint8_t> PropertyList() {
  std::vector<uint8_t> B;
  auto Name = [&](const std::string& S) {
    B.push_back(static_cast<uint8_t>(S.size()));
    B.insert(B.end(), S.begin(), S.end());
  };
  Name("Left");
  B.insert(B.end(), {vaInt8, 5});
  Name("DataPipeline");
  B.push_back(vaIdent);
  Name("Form1.Pipeline1");
  Name("Width");
  B.push_back(vaExtended);
  TExtendedBytes E = EncodeExtended(12.9L);
  B.insert(B.end(), E.begin(), E.end());
  B.push_back(vaNull);
  return B;
}

TEST(ppReaderUtilsTest, PeekFindAndRead) {
  const std::vector<uint8_t> Bytes = PropertyList();
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  S.SetPosition(0);
  TReader Reader(S);
  const int64_t Start = Reader.Position();
  EXPECT_EQ("Pipeline1", TppHReaderUtils::PeekIdentProperty(Reader, "DataPipeline"));
  EXPECT_EQ(Start, Reader.Position());
  EXPECT_EQ("", TppHReaderUtils::PeekIdentProperty(Reader, "Left"));  // not an identifier
  EXPECT_EQ("", TppHReaderUtils::PeekIdentProperty(Reader, "datapipeline"));  // names match exactly
  EXPECT_EQ("", TppHReaderUtils::PeekIdentProperty(Reader, "Missing"));
  EXPECT_EQ(Start, Reader.Position());

  ASSERT_TRUE(TppHReaderUtils::FindProperty(Reader, "Left"));
  EXPECT_EQ(5, TppHReaderUtils::ReadIntegerOrFloat(Reader));
  ASSERT_TRUE(TppHReaderUtils::FindProperty(Reader, "Width"));
  EXPECT_EQ(13, TppHReaderUtils::ReadIntegerOrFloat(Reader));  // nearest, as every length read
  EXPECT_FALSE(TppHReaderUtils::FindProperty(Reader, "Height"));
  EXPECT_TRUE(Reader.EndOfList());
}

}  // namespace
