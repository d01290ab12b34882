// Steps 2 to 6 of the Update command: which files the two passes take, and
// what the window is told of each.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "FirmwareFileSelection.h"
#include "FirmwareImages.h"
#include "HexFiles.h"
#include "RecordingWindow.h"

namespace {

std::string File(std::uint8_t marker, const std::string& identification) {
  return HexRecord(0, 0x0000, {marker, 0x00}) + "\n" + identification + "\n";
}

class FirmwareFileSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(hex_); }
  void Put(const std::string& name, const std::string& text) { WriteTextFile(hex_ / name, text); }
  std::string PathOf(const std::string& name) const { return (hex_ / name).generic_string(); }
#if defined(_WIN32)
  // A file another program holds without sharing, as an editor or a virus
  // scanner may.
  void PutUnopenable(const std::string& name) {
    Put(name, "");
    holds_.push_back(CreateFileW((hex_ / name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  }
  void RemoveUnopenable(const std::string&) {
    for (HANDLE hold : holds_) CloseHandle(hold);
    holds_.clear();
  }
  ~FirmwareFileSelectionTest() override { RemoveUnopenable(""); }
  static constexpr const char* kUnopenableReason = "Permission denied";
  std::vector<HANDLE> holds_;
#else
  // A link to nothing: listed in the folder, yet it cannot be opened.
  void PutUnopenable(const std::string& name) { std::filesystem::create_symlink(folder_ / "nowhere", hex_ / name); }
  void RemoveUnopenable(const std::string& name) { std::filesystem::remove(hex_ / name); }
  static constexpr const char* kUnopenableReason = "No such file or directory";
#endif

  TemporaryFolder folder_;
  std::filesystem::path hex_ = folder_ / "Hex";
  RecordingWindow window_;
};

TEST_F(FirmwareFileSelectionTest, TakesTheFirstValidFileOfEachModuleByNameAndShowsEveryFaultOnceInTheSameWords) {
  // Neither a folder nor a pipe is a firmware file; opening the pipe would hang.
  std::filesystem::create_directory(hex_ / "0.hex");
#if !defined(_WIN32)
  ASSERT_EQ(::mkfifo((hex_ / "1.hex").c_str(), 0600), 0);
#endif
  Put("2.hex", ":0300000011223396\n/SM\n");
  Put("3.hex", ":010000001GEF\n/BM\n");
  Put("4.hex", File(0x04, "/XY"));
  Put("5.hex", HexRecord(4, 0, {0x00, 0x02}) + "\n" + File(0x05, "/BM"));
  Put("B1.hex", File(0xB1, "/SM"));
  Put("a2.HEX", File(0xA2, "/SD"));  // ahead of B1 whatever the letters' case
  Put("a1.hex", File(0xA1, "/BM"));
  Put("a0.txt", File(0xA0, "/SM"));
  Put("c.hex", File(0xC0, "/BM"));
  // A passed-over file is named in the same words whatever the language; only
  // the lines of the files found are translated.
  const std::vector<std::pair<std::string, std::string>> found{
      {"SM file found", "BM file found"}, {"SM-Datei gefunden", "BM-Datei gefunden"},
      {"Fichier SM trouv\xC3\xA9", "Fichier BM trouv\xC3\xA9"}};
  for (int language : {0, 1, 2}) {
    RecordingWindow window;
    window.languageIndex = language;
    ASSERT_TRUE(LoadFirmwareFiles(window, hex_));
    EXPECT_EQ(window.Events(), (Recording{"-Update", PathOf("2.hex") + ": Checksum error!",
                                          PathOf("3.hex") + ": Invalid character in hex-File!",
                                          PathOf("4.hex") + ": No identification in hex-File!",
                                          PathOf("5.hex") + ": Address out of range in hex-File!",
                                          found[language].first, found[language].second}))
        << "language " << language;
  }
  EXPECT_TRUE(smFileLoaded && bmFileLoaded);
  EXPECT_EQ(smImage.Bytes()[0], 0xA2);
  EXPECT_EQ(bmImage.Bytes()[1], 0xA1);

  // A missing folder finds nothing, and the worker still runs to say so.
  ASSERT_TRUE(LoadFirmwareFiles(window_, folder_ / "nowhere"));
  EXPECT_EQ(window_.Events(), Recording{"-Update"});
  EXPECT_FALSE(smFileLoaded || bmFileLoaded);
}

TEST_F(FirmwareFileSelectionTest, UnopenableFileEndsTheCommandInTheControlModulePassOnly) {
  PutUnopenable("0.hex");
  Put("1.hex", File(0x01, "/SM"));
  // As the last complete command left them: a command that ends early keeps them.
  smFileLoaded = bmFileLoaded = true;
  ASSERT_FALSE(LoadFirmwareFiles(window_, hex_));
  EXPECT_EQ(window_.Events(),
            (Recording{"-Update", "<error box> The file " + PathOf("0.hex") + " cannot be opened: " + kUnopenableReason,
                       "+Update"}));
  EXPECT_TRUE(smFileLoaded && bmFileLoaded);

  // In the operating-module pass the file is passed over, and said so.
  RemoveUnopenable("0.hex");
  PutUnopenable("2.hex");
  Put("3.hex", File(0x03, "/BM"));
  RecordingWindow second;
  ASSERT_TRUE(LoadFirmwareFiles(second, hex_));
  EXPECT_EQ(second.Events(), (Recording{"-Update", "SM file found",
                                        PathOf("2.hex") + ": cannot be opened: " + kUnopenableReason,
                                        "BM file found"}));
}

}  // namespace
