// Where the desktop menu starts the window on Linux, and what it finds there.
#include "WorkingFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "HexFiles.h"
#include "WorkingFolderReadme.h"

namespace fs = std::filesystem;

TEST(WorkingFolder, IsTessaramondInTheDocumentsFolderThatUserDirsNamesElseInTheHomeFolder) {
  const TemporaryFolder home;
  const std::pair<const char*, fs::path> cases[] = {
      {"", home / "Tessaramond"},
      {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home / "Dokumente/Tessaramond"},
      {"  XDG_DOCUMENTS_DIR=\"/srv/docs\"\r\n", "/srv/docs/Tessaramond"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/My\\\"Docs\"\n", home / "My\"Docs/Tessaramond"},
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\nXDG_DOCUMENTS_DIR=Docs\n#XDG_DOCUMENTS_DIR=\"/no\"\n", home / "Tessaramond"}};
  fs::create_directories(home / ".config");
  for (const auto& [userDirs, expected] : cases) {
    WriteTextFile(home / ".config/user-dirs.dirs", userDirs);
    EXPECT_EQ(TechnicianWorkingFolder(home.Path().string(), "relative"), expected) << userDirs;
    // An absolute XDG_CONFIG_HOME is where user-dirs.dirs is looked for.
    EXPECT_EQ(TechnicianWorkingFolder(home.Path().string(), (home / "other").string()), home / "Tessaramond");
  }
}

TEST(WorkingFolder, IsMadeWhereMissingKeptWhereThereAndEnteredOnlyWhenTheDesktopEntryAsks) {
  const TemporaryFolder home;
  const fs::path folder = home / "Tessaramond", readme = folder / "README.txt", before = fs::current_path();
  fs::create_directories(home / "terminal");
  fs::current_path(home / "terminal");
  ::setenv("HOME", home.Path().c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv(kStartInWorkingFolderVariable, "1", 1);
  EXPECT_EQ(EnterWorkingFolderWhenAsked(), "");
  EXPECT_EQ(fs::current_path(), folder);
  EXPECT_EQ(std::getenv(kStartInWorkingFolderVariable), nullptr);
  EXPECT_TRUE(fs::is_directory(folder / "Hex") && fs::is_directory(folder / "Flash"));
  EXPECT_EQ(ReadAll(readme), WorkingFolderReadme());

  WriteTextFile(readme, "mine\n");
  WriteTextFile(folder / "Hex/SM_x.hex", ":00000001FF\n");
  fs::remove(folder / "Flash");
  EXPECT_EQ(MakeWorkingFolder(folder), "");
  EXPECT_EQ(ReadAll(readme), "mine\n");
  EXPECT_TRUE(fs::exists(folder / "Hex/SM_x.hex") && fs::is_directory(folder / "Flash"));

  // When it cannot be made the window stays where it is and says so.
  fs::remove(folder / "Flash");
  WriteTextFile(folder / "Flash", "a file in the way");
  fs::current_path(home / "terminal");
  ::setenv(kStartInWorkingFolderVariable, "1", 1);
  const std::string problem = EnterWorkingFolderWhenAsked();
  EXPECT_NE(problem.find("cannot make " + (folder / "Flash").string()), std::string::npos) << problem;
  EXPECT_NE(problem.find("from " + (home / "terminal").string() + " instead"), std::string::npos) << problem;
  EXPECT_EQ(fs::current_path(), home / "terminal");
  fs::current_path(before);
}
