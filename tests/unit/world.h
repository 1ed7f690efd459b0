// The smallest world most unit tests need: a fresh fake platform whose driver directory is a real
// temporary folder, so the PPD reader can open the "copies" a test writes there.
#ifndef FOLVANE_TESTS_UNIT_WORLD_H
#define FOLVANE_TESTS_UNIT_WORLD_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/fake/fake_platform.h"

#define TEST_TITLE "Folvane(TM) Windows NT(R) Printer Driver Setup"

// The run's own texts, as the user reads them.
inline const std::string kConfirm =
    "Proceding will setup all the Windows NT(R)\r\nprinter drivers supported by Folvane(TM).\r\n"
    "\r\nClick OK to begin installation,\r\nor Cancel to skip driver setup.";
inline const std::string kSuccess = "Setup completed successfully.";
inline const std::string kFailed = "Setup failed!";

// A temporary folder that removes itself.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "folvane-unit-XXXXXX").string();
        path_ = mkdtemp(&pattern[0]);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string Ppd(const std::string& nickName)
{
    return "*PPD-Adobe: \"4.3\"\r\n*ShortNickName: \"Short\"\r\n*NickName: \"" + nickName +
           "\"\r\n*End\r\n";
}

// The fake's driver directory, as the program sees it (with a trailing separator).
class WorldTest : public testing::Test {
public:
    void SetUp() override { ResetWorld(); }

    // A fresh fake and an empty driver directory.
    void ResetWorld()
    {
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
            std::filesystem::remove_all(entry.path());
        fake.Reset();
        fake.driverDirectory = DriverDirectory();
    }
    std::string DriverDirectory() const { return folder_.path().string() + "/"; }
    // Places a PPD "copy" in the driver directory, where the reader will open it.
    void PlacePpd(const std::string& name, const std::string& bytes)
    {
        WriteFile(folder_.path() / name, bytes);
    }

private:
    TempFolder folder_;
};

#endif
