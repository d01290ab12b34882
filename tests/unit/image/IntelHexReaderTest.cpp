#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "FirmwareImages.h"
#include "HexFiles.h"
#include "IntelHexReader.h"

namespace {

constexpr std::array<std::string_view, 2> kSm = kControlModuleIdentifications;
constexpr std::array<std::string_view, 1> kBm = kOperatingModuleIdentifications;

class IntelHexReaderTest : public ::testing::Test {
 protected:
  // Reads `text` as a file and from memory: both must come to the same.
  HexLoadResult Load(const std::string& text, HexImage& image,
                     std::span<const std::string_view> accepted = kSm) {
    const auto path = folder_ / ("file" + std::to_string(++files_) + ".hex");
    WriteTextFile(path, text);
    const HexLoadResult result = LoadHexFile(path, image, accepted, &details_);
    HexImage fromMemory(image.Order());
    HexLoadDetails memoryDetails;
    EXPECT_EQ(LoadHexText(text, fromMemory, accepted, &memoryDetails), result);
    EXPECT_EQ(memoryDetails.lineNumber, details_.lineNumber);
    EXPECT_EQ(memoryDetails.identification, details_.identification);
    EXPECT_TRUE(std::equal(image.Bytes().begin(), image.Bytes().end(), fromMemory.Bytes().begin()));
    return result;
  }

  std::unique_ptr<HexImage> sm_ = std::make_unique<HexImage>(ByteOrder::Natural);
  std::unique_ptr<HexImage> bm_ = std::make_unique<HexImage>(ByteOrder::PairSwapped);
  HexLoadDetails details_;

 private:
  TemporaryFolder folder_;
  int files_ = 0;
};

std::vector<std::uint8_t> At(const HexImage& image, std::size_t address, std::size_t count) {
  const auto bytes = image.Bytes().subspan(address, count);
  return {bytes.begin(), bytes.end()};
}

TEST(DecodeHexByteTest, TakesOnlyHexDigitsOfEitherCase) {
  // Byte k is at positions 2k+1 and 2k+2.
  const std::string_view line = ":1aA1fF1Gg0";
  const auto decode = [&](std::size_t k) -> int {
    std::uint8_t value = 0;
    return DecodeHexByte(line, k, value) ? value : -1;
  };
  EXPECT_EQ(decode(0), 0x1A);
  EXPECT_EQ(decode(1), 0xA1);
  EXPECT_EQ(decode(2), 0xFF);
  EXPECT_EQ(decode(3), -1);  // "1G"
  EXPECT_EQ(decode(4), -1);  // "g0"
  EXPECT_EQ(decode(5), -1);  // beyond the end
}

TEST_F(IntelHexReaderTest, ThreeByteRecordInBothByteOrders) {
  const std::string file = ":03010000112233" "96\n/SM\n";
  ASSERT_EQ(Load(file, *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(At(*sm_, 0x00FF, 5), (std::vector<std::uint8_t>{0xFF, 0x11, 0x22, 0x33, 0xFF}));

  ASSERT_EQ(Load(":03010000112233" "96\n/BM\n", *bm_, kBm), HexLoadResult::Accepted);
  EXPECT_EQ(At(*bm_, 0x00FF, 5), (std::vector<std::uint8_t>{0xFF, 0x22, 0x11, 0xFF, 0x33}));

  EXPECT_EQ(Load(":03010000112233" "97\n/SM\n", *sm_), HexLoadResult::ChecksumError);
  EXPECT_EQ(details_.lineNumber, 1u);
}

TEST_F(IntelHexReaderTest, OddRecordsStoreOnlyTheirDataBytesAtTheirOwnPlace) {
  // 0x44 at 0x0103 must survive the three-byte record after it, and in the
  // pair-swapped image natural address x lands at x XOR 1 whatever the record.
  const std::string file = HexRecord(0, 0x0103, {0x44}) + "\n" + HexRecord(0, 0x0100, {0x11, 0x22, 0x33}) +
                           "\n" + HexRecord(0, 0x0201, {0xA1, 0xA2, 0xA3}) + "\n" +
                           HexRecord(0, 0x0200, {0xA0}) + "\n";
  ASSERT_EQ(Load(file + "/SM\n", *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(At(*sm_, 0x0100, 4), (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x44}));
  EXPECT_EQ(At(*sm_, 0x0200, 5), (std::vector<std::uint8_t>{0xA0, 0xA1, 0xA2, 0xA3, 0xFF}));

  ASSERT_EQ(Load(file + "/BM\n", *bm_, kBm), HexLoadResult::Accepted);
  EXPECT_EQ(At(*bm_, 0x0100, 4), (std::vector<std::uint8_t>{0x22, 0x11, 0x44, 0x33}));
  EXPECT_EQ(At(*bm_, 0x0200, 5), (std::vector<std::uint8_t>{0xA1, 0xA0, 0xA3, 0xA2, 0xFF}));
}

TEST_F(IntelHexReaderTest, LaterRecordsOverwriteEarlierOnesInAnyOrder) {
  const std::string file = HexRecord(0, 0x0010, {1, 2, 3, 4}) + "\n" + HexRecord(0, 0x0000, {9, 9}) + "\n" +
                           HexRecord(0, 0x0012, {7}) + "\n/SM\n";
  ASSERT_EQ(Load(file, *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(At(*sm_, 0x0000, 2), (std::vector<std::uint8_t>{9, 9}));
  EXPECT_EQ(At(*sm_, 0x0010, 5), (std::vector<std::uint8_t>{1, 2, 7, 4, 0xFF}));
}

TEST_F(IntelHexReaderTest, AddressRecordsSetTheBaseForTheFollowingRecordsOfTheirFileOnly) {
  ASSERT_EQ(HexRecord(2, 0, {0x10, 0x00}), ":020000021000EC");
  const std::string segment = ":020000021000EC\n" + HexRecord(0, 0x0000, {0x5A}) + "\n/SM\n";
  ASSERT_EQ(Load(segment, *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(sm_->Bytes()[0x10000], 0x5A);
  EXPECT_EQ(sm_->Bytes()[0x00000], 0xFF);

  // The next file starts again at base 0.
  ASSERT_EQ(Load(HexRecord(0, 0x0000, {0x5B}) + "\n/SM\n", *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(sm_->Bytes()[0x00000], 0x5B);
  EXPECT_EQ(sm_->Bytes()[0x10000], 0xFF);

  // An extended linear address counts in 64 KiB.
  const std::string linear = HexRecord(4, 0, {0x00, 0x01}) + "\n" + HexRecord(0, 0x0010, {0x5C}) + "\n/SM\n";
  ASSERT_EQ(Load(linear, *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(sm_->Bytes()[0x10010], 0x5C);
  EXPECT_EQ(sm_->Bytes()[0x00010], 0xFF);
}

TEST_F(IntelHexReaderTest, DataAtOrBeyond128KiBRejectsTheFile) {
  std::vector<std::uint8_t> full(255);
  for (std::size_t i = 0; i < full.size(); ++i) full[i] = static_cast<std::uint8_t>(i);
  // 255 bytes up to the image's last byte: positions past 8 bits, no wrap.
  const std::string fits = HexRecord(2, 0, {0x10, 0x00}) + "\n" + HexRecord(0, 0xFF01, full) + "\n/SM\n";
  ASSERT_EQ(Load(fits, *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(sm_->Bytes()[0x1FF01], 0x00);
  EXPECT_EQ(sm_->Bytes()[0x1FFFF], 0xFE);

  const std::vector<std::string> outside{
      HexRecord(2, 0, {0x10, 0x00}) + "\n" + HexRecord(0, 0xFFFF, {1, 2}),
      HexRecord(4, 0, {0x00, 0x02}) + "\n" + HexRecord(0, 0x0000, {1}),
      HexRecord(4, 0, {0xFF, 0xFF}) + "\n" + HexRecord(0, 0xFFFF, full),
      HexRecord(2, 0, {0xF0, 0x00}) + "\n" + HexRecord(0, 0x0000, {1}),
  };
  for (const std::string& records : outside) {
    SCOPED_TRACE(records);
    EXPECT_EQ(Load(records + "\n/SM\n", *sm_), HexLoadResult::AddressOutOfRange);
    EXPECT_EQ(details_.lineNumber, 2u);
  }
}

TEST_F(IntelHexReaderTest, OnlyHexDigitsCount) {
  // Read as a letter's code minus 55, "1G" is 0x10 and this checksum right.
  EXPECT_EQ(Load(":010000001GEF\n/SM\n", *sm_), HexLoadResult::InvalidCharacter);
  EXPECT_EQ(Load(":01000000zz00\n/SM\n", *sm_), HexLoadResult::InvalidCharacter);
  // Lowercase digits have their ordinary values.
  ASSERT_EQ(Load(":020000001aa143\n/SM\n", *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(At(*sm_, 0, 2), (std::vector<std::uint8_t>{0x1A, 0xA1}));
}

TEST_F(IntelHexReaderTest, LineShapes) {
  // Too short for the data bytes or for the checksum.
  EXPECT_EQ(Load(":0300000011\n/SM\n", *sm_), HexLoadResult::InvalidCharacter);
  EXPECT_EQ(Load(":03000000112233\n/SM\n", *sm_), HexLoadResult::InvalidCharacter);
  // Text after the checksum, CR LF line ends, an end-of-file record on the way,
  // a last line without its line end.
  const std::string tail(100000, 'x');
  ASSERT_EQ(Load(":0100000042BD   ; first\r\n:00000001FF\r\n:0100010043BB" + tail + "\r\n/SM", *sm_),
            HexLoadResult::Accepted);
  EXPECT_EQ(At(*sm_, 0, 2), (std::vector<std::uint8_t>{0x42, 0x43}));
  EXPECT_EQ(details_.lineNumber, 4u);
  // A blank line or a line of another kind ends the reading before the
  // identification line.
  EXPECT_EQ(Load(":0100000042BD\n\n/SM\n", *sm_), HexLoadResult::OtherFile);
  EXPECT_EQ(details_.lineNumber, 2u);
  EXPECT_FALSE(details_.identification);
  EXPECT_EQ(Load(" :0100000042BD\n/SM\n", *sm_), HexLoadResult::OtherFile);
  EXPECT_EQ(Load(":0100000042BD\n", *sm_), HexLoadResult::OtherFile);
  EXPECT_EQ(details_.lineNumber, 0u);
}

TEST_F(IntelHexReaderTest, IdentificationLineVariants) {
  EXPECT_EQ(Load("/SM V5.16\n", *sm_), HexLoadResult::Accepted);
  EXPECT_TRUE(std::all_of(sm_->Bytes().begin(), sm_->Bytes().end(), [](auto b) { return b == 0xFF; }));
  EXPECT_EQ(Load(":0100000042BD\n/SD\ngarbage", *sm_), HexLoadResult::Accepted);
  EXPECT_EQ(Load("/sm\n", *sm_), HexLoadResult::OtherFile);
  EXPECT_EQ(Load("/S\n", *sm_), HexLoadResult::OtherFile);
  EXPECT_EQ(details_.identification, "S");
  EXPECT_EQ(Load("/BM\n", *sm_), HexLoadResult::OtherFile);
  EXPECT_EQ(details_.identification, "BM");
  EXPECT_EQ(Load("/BM\n", *bm_, kBm), HexLoadResult::Accepted);
  EXPECT_EQ(Load("/SD\n", *bm_, kBm), HexLoadResult::OtherFile);
}

TEST_F(IntelHexReaderTest, FilesThatCannotBeOpenedOrReadGiveTheSystemsReason) {
  TemporaryFolder folder;
  EXPECT_EQ(LoadHexFile(folder / "missing.hex", *sm_, kSm, &details_), HexLoadResult::OpenFailed);
  EXPECT_EQ(details_.error, std::errc::no_such_file_or_directory);
#if defined(_WIN32)
  // Windows refuses to open a folder as a file at all.
  EXPECT_EQ(LoadHexFile(folder.Path(), *sm_, kSm, &details_), HexLoadResult::OpenFailed);
  EXPECT_EQ(details_.error, std::errc::permission_denied);
#else
  // A folder opens for reading here but cannot be read.
  EXPECT_EQ(LoadHexFile(folder.Path(), *sm_, kSm, &details_), HexLoadResult::ReadFailed);
  EXPECT_EQ(details_.error, std::errc::is_a_directory);
#endif
}

}  // namespace
