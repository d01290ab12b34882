// Where the desktop menu starts the window on Linux, and what it finds there.
#include "WorkingFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "WorkingFolderReadme.h"

namespace fs = std::filesystem;

namespace {

struct FolderCase {
  const char* name;
  const char* userDirs;  // user-dirs.dirs in ~/.config, or none
  const char* expected;  // under home, or absolute
};

class WorkingFolder : public ::testing::TestWithParam<FolderCase> {};

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST_P(WorkingFolder, IsTessaramondInTheDocumentsFolderThatUserDirsNames) {
  const fs::path home = fs::path(testing::TempDir()) / ("wf-" + std::string(GetParam().name));
  fs::remove_all(home);
  fs::create_directories(home / ".config");
  if (GetParam().userDirs != nullptr) std::ofstream(home / ".config" / "user-dirs.dirs") << GetParam().userDirs;
  const fs::path expected = fs::path(GetParam().expected).is_absolute() ? fs::path(GetParam().expected)
                                                                        : home / GetParam().expected;
  EXPECT_EQ(TechnicianWorkingFolder(home.string(), ""), expected);
  // XDG_CONFIG_HOME, when absolute, is where user-dirs.dirs is looked for.
  EXPECT_EQ(TechnicianWorkingFolder(home.string(), (home / "elsewhere").string()), home / "Tessaramond");
  EXPECT_EQ(TechnicianWorkingFolder(home.string(), "relative"), expected);
  fs::remove_all(home);
}

INSTANTIATE_TEST_SUITE_P(
    UserDirs, WorkingFolder,
    ::testing::Values(
        FolderCase{"NoFile", nullptr, "Tessaramond"},
        FolderCase{"Documents", "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "Dokumente/Tessaramond"},
        FolderCase{"Absolute", "  XDG_DOCUMENTS_DIR=\"/srv/docs\"\r\n", "/srv/docs/Tessaramond"},
        FolderCase{"HomeItself", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "Tessaramond"},
        FolderCase{"LastHolds", "XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/My\\\"Docs\"\n",
                   "My\"Docs/Tessaramond"},
        FolderCase{"NotUnderstood", "XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\nXDG_DOCUMENTS_DIR=Documents\n"
                                    "#XDG_DOCUMENTS_DIR=\"/commented\"\n", "Tessaramond"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(WorkingFolderMaking, MakesWhatIsMissingKeepsWhatIsThereAndSaysWhatItCannotMake) {
  const fs::path folder = fs::path(testing::TempDir()) / "wf-made" / "Tessaramond";
  fs::remove_all(folder.parent_path());
  ASSERT_EQ(MakeWorkingFolder(folder), "");
  EXPECT_TRUE(fs::is_directory(folder / "Hex"));
  EXPECT_TRUE(fs::is_directory(folder / "Flash"));
  EXPECT_EQ(Read(folder / "README.txt"), WorkingFolderReadme());

  std::ofstream(folder / "README.txt", std::ios::app) << "mine\n";
  std::ofstream(folder / "Hex" / "SM_x.hex") << ":00000001FF\n";
  fs::remove(folder / "Flash");
  ASSERT_EQ(MakeWorkingFolder(folder), "");
  EXPECT_EQ(Read(folder / "README.txt"), std::string(WorkingFolderReadme()) + "mine\n");
  EXPECT_TRUE(fs::exists(folder / "Hex" / "SM_x.hex"));
  EXPECT_TRUE(fs::is_directory(folder / "Flash"));

  fs::remove_all(folder / "Flash");
  std::ofstream(folder / "Flash") << "a file in the way";
  EXPECT_NE(MakeWorkingFolder(folder).find("cannot make " + (folder / "Flash").string()), std::string::npos);
  fs::remove_all(folder.parent_path());
}

TEST(WorkingFolderMaking, TheWindowChangesIntoItOnlyWhenTheDesktopEntryAsks) {
  const fs::path home = fs::path(testing::TempDir()) / "wf-enter";
  fs::remove_all(home);
  fs::create_directories(home / "started-here");
  const fs::path before = fs::current_path();
  fs::current_path(home / "started-here");
  ::setenv("HOME", home.c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv(kStartInWorkingFolderVariable);
  EXPECT_EQ(EnterWorkingFolderWhenAsked(), "");
  EXPECT_EQ(fs::current_path(), home / "started-here");

  ::setenv(kStartInWorkingFolderVariable, "1", 1);
  EXPECT_EQ(EnterWorkingFolderWhenAsked(), "");
  EXPECT_EQ(fs::current_path(), home / "Tessaramond");
  EXPECT_EQ(std::getenv(kStartInWorkingFolderVariable), nullptr);

  // A home the folder cannot be made in: the window stays where it is and says so.
  fs::current_path(home / "started-here");
  ::setenv("HOME", (home / "started-here" / "no-such-home").c_str(), 1);
  std::ofstream(home / "started-here" / "no-such-home") << "a file, not a folder";
  ::setenv(kStartInWorkingFolderVariable, "1", 1);
  const std::string problem = EnterWorkingFolderWhenAsked();
  EXPECT_NE(problem.find("cannot make"), std::string::npos) << problem;
  EXPECT_NE(problem.find("reads its Hex and Flash folders from " + (home / "started-here").string()),
            std::string::npos)
      << problem;
  EXPECT_EQ(fs::current_path(), home / "started-here");
  fs::current_path(before);
  fs::remove_all(home);
}
