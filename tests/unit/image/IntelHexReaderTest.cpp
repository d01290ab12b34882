#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "FirmwareImages.h"
#include "HexFiles.h"
#include "IntelHexReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A file's text and what reading it must give: the verdict, the line the
// reading stopped at, the identification read ("-" for none), and the bytes
// found at `address` of the image.
struct Row {
  std::string text;
  HexLoadResult result;
  std::size_t line;
  std::string identification;
  std::size_t address = 0;
  Bytes bytes = {};
};

class IntelHexReaderTest : public ::testing::Test {
 protected:
  // Reads each row as a file and from memory, both into the same image in
  // turn: both must come to the same.
  void Check(const std::vector<Row>& rows, ByteOrder order, std::span<const std::string_view> accepted) {
    const auto image = std::make_unique<HexImage>(order);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.text.substr(0, 80));
      const auto path = folder_ / ("file" + std::to_string(++files_) + ".hex");
      WriteTextFile(path, row.text);
      HexLoadDetails details;
      EXPECT_EQ(LoadHexFile(path, *image, accepted, &details), row.result);
      EXPECT_EQ(details.lineNumber, row.line);
      EXPECT_EQ(details.identification.value_or("-"), row.identification);
      const auto found = image->Bytes().subspan(row.address, row.bytes.size());
      EXPECT_EQ(Bytes(found.begin(), found.end()), row.bytes);
      const auto fromMemory = std::make_unique<HexImage>(order);
      HexLoadDetails memoryDetails;
      EXPECT_EQ(LoadHexText(row.text, *fromMemory, accepted, &memoryDetails), row.result);
      EXPECT_EQ(memoryDetails.lineNumber, row.line);
      EXPECT_EQ(memoryDetails.identification, details.identification);
      EXPECT_TRUE(std::equal(image->Bytes().begin(), image->Bytes().end(), fromMemory->Bytes().begin()));
    }
  }

 private:
  TemporaryFolder folder_;
  int files_ = 0;
};

// Records that store only their own data bytes, at odd addresses too, later
// ones overwriting earlier ones in any order.
const std::string kOddRecords = HexRecord(0, 0x0103, {0x44}) + "\n" + HexRecord(0, 0x0100, {0x11, 0x22, 0x33}) + "\n" +
                                HexRecord(0, 0x0102, {0x77}) + "\n" + HexRecord(0, 0x0105, {0xA1, 0xA2, 0xA3}) + "\n" +
                                HexRecord(0, 0x0104, {0xA0}) + "\n";

TEST_F(IntelHexReaderTest, ControlModuleFiles) {
  using enum HexLoadResult;
  Bytes full(255);
  for (std::size_t i = 0; i < full.size(); ++i) full[i] = static_cast<std::uint8_t>(i);
  const std::string segment1000 = HexRecord(2, 0, {0x10, 0x00}) + "\n";
  Check({{":03010000112233" "96\n/SM\n", Accepted, 2, "SM", 0x00FF, {0xFF, 0x11, 0x22, 0x33, 0xFF}},
         {":03010000112233" "97\n/SM\n", ChecksumError, 1, "-"},
         {kOddRecords + "/SM\n", Accepted, 6, "SM", 0x0100, {0x11, 0x22, 0x77, 0x44, 0xA0, 0xA1, 0xA2, 0xA3, 0xFF}},
         // Address records set the base for the following records of their
         // file only: the next file starts again at 0.
         {segment1000 + HexRecord(0, 0x0000, {0x5A}) + "\n/SM\n", Accepted, 3, "SM", 0x10000, {0x5A}},
         {HexRecord(0, 0x0000, {0x5B}) + "\n/SM\n", Accepted, 2, "SM", 0x00000, {0x5B}},
         {HexRecord(4, 0, {0x00, 0x01}) + "\n" + HexRecord(0, 0x0010, {0x5C}) + "\n/SM\n", Accepted, 3, "SM", 0x10010, {0x5C}},
         // 255 bytes up to the image's last byte: positions past 16 bits, no wrap.
         {segment1000 + HexRecord(0, 0xFF01, full) + "\n/SM\n", Accepted, 3, "SM", 0x1FF01, full},
         {segment1000 + HexRecord(0, 0xFFFF, {1, 2}) + "\n/SM\n", AddressOutOfRange, 2, "-"},
         {HexRecord(4, 0, {0x00, 0x02}) + "\n" + HexRecord(0, 0x0000, {1}) + "\n/SM\n", AddressOutOfRange, 2, "-"},
         {HexRecord(4, 0, {0xFF, 0xFF}) + "\n" + HexRecord(0, 0xFFFF, full) + "\n/SM\n", AddressOutOfRange, 2, "-"},
         {HexRecord(2, 0, {0xF0, 0x00}) + "\n" + HexRecord(0, 0x0000, {1}) + "\n/SM\n", AddressOutOfRange, 2, "-"},
         // Read as a letter's code minus 55, "1G" is 0x10 and this checksum right.
         {":010000001GEF\n/SM\n", InvalidCharacter, 1, "-"},
         {":01000000zz00\n/SM\n", InvalidCharacter, 1, "-"},
         {":020000001aa143\n/SM\n", Accepted, 2, "SM", 0, {0x1A, 0xA1}},
         // The image is blank again for each file.
         {"/SM V5.16\n", Accepted, 1, "SM", 0, {0xFF, 0xFF}},
         // Too short for the data bytes or for the checksum.
         {":0300000011\n/SM\n", InvalidCharacter, 1, "-"},
         {":03000000112233\n/SM\n", InvalidCharacter, 1, "-"},
         // Text after the checksum, CR LF line ends, an end-of-file record on
         // the way, a last line without its line end.
         {":0100000042BD   ; first\r\n:00000001FF\r\n:0100010043BB" + std::string(100000, 'x') + "\r\n/SM", Accepted, 4,
          "SM", 0, {0x42, 0x43}},
         // A blank line or a line of another kind ends the reading before the
         // identification line.
         {":0100000042BD\n\n/SM\n", OtherFile, 2, "-"},
         {" :0100000042BD\n/SM\n", OtherFile, 1, "-"},
         {":0100000042BD\n", OtherFile, 0, "-"},
         {":0100000042BD\n/SD\ngarbage", Accepted, 2, "SD", 0, {0x42}},
         {"/sm\n", OtherFile, 1, "sm"},
         {"/S\n", OtherFile, 1, "S"},
         {"/BM\n", OtherFile, 1, "BM"}},
        ByteOrder::Natural, kControlModuleIdentifications);
}

// Pair-swapped: natural address x lands at x XOR 1 whatever the record.
TEST_F(IntelHexReaderTest, OperatingModuleFiles) {
  using enum HexLoadResult;
  Check({{":03010000112233" "96\n/BM\n", Accepted, 2, "BM", 0x00FF, {0xFF, 0x22, 0x11, 0xFF, 0x33}},
         {kOddRecords + "/BM\n", Accepted, 6, "BM", 0x0100, {0x22, 0x11, 0x44, 0x77, 0xA1, 0xA0, 0xA3, 0xA2, 0xFF}},
         {"/SD\n", OtherFile, 1, "SD"}},
        ByteOrder::PairSwapped, kOperatingModuleIdentifications);
}

TEST_F(IntelHexReaderTest, FilesThatCannotBeOpenedOrReadGiveTheSystemsReason) {
  TemporaryFolder folder;
  HexImage image(ByteOrder::Natural);
  HexLoadDetails details;
  EXPECT_EQ(LoadHexFile(folder / "missing.hex", image, kControlModuleIdentifications, &details), HexLoadResult::OpenFailed);
  EXPECT_EQ(details.error, std::errc::no_such_file_or_directory);
#if defined(_WIN32)
  // Windows refuses to open a folder as a file at all.
  EXPECT_EQ(LoadHexFile(folder.Path(), image, kControlModuleIdentifications, &details), HexLoadResult::OpenFailed);
  EXPECT_EQ(details.error, std::errc::permission_denied);
#else
  // A folder opens for reading here but cannot be read.
  EXPECT_EQ(LoadHexFile(folder.Path(), image, kControlModuleIdentifications, &details), HexLoadResult::ReadFailed);
  EXPECT_EQ(details.error, std::errc::is_a_directory);
#endif
}

}  // namespace
