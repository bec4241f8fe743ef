// The password file read in-process on every system: its first line as bytes (CR LF, a byte
// order mark), the length and emptiness rules, what is no regular file, and who may read it.
#include "PasswordFile.h"
#include "PrivateFile.h"
#include "TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

using namespace ortavo;
using namespace ortavo::testing;

TEST(PasswordFile, TheFirstLineOfAFileOnlyItsOwnerMayRead) {
    TempFolder folder;
    struct TAccepted {
        std::string Bytes, Password;
    };
    const std::vector<TAccepted> accepted = {
        {"##480317\r\nsecond line\n", "##480317"},
        {"##480317", "##480317"},
        {"\xEF\xBB\xBF##480317\n", "##480317"},
        {std::string(4096, 'x') + "\r\n", std::string(4096, 'x')},
        {"a b\tc\r\r\n", "a b\tc\r"},
    };
    int n = 0;
    for (const TAccepted& c : accepted) {
        const std::string path =
            WriteWithAccess(folder, "ok" + std::to_string(++n), c.Bytes, TAccess::OwnerOnly);
        EXPECT_EQ(ReadPasswordFile(path), c.Password) << c.Bytes;
    }
}

// Refused as ssh refuses a key file: reported on the error stream as the command reports it,
// never with the password.
TEST(PasswordFile, RefusedFilesSayWhy) {
    TempFolder folder;
    const std::string open = WriteWithAccess(folder, "open", "##480317\n", TAccess::ReadableByAll);
    struct TRefused {
        std::string Path, Reason;
    };
    const std::vector<TRefused> refused = {
        {open, ReadableByAllReason(open)},
        {WriteWithAccess(folder, "empty", "", TAccess::OwnerOnly), "its first line is empty"},
        {WriteWithAccess(folder, "blank", "\xEF\xBB\xBF\r\n##480317\n", TAccess::OwnerOnly),
         "its first line is empty"},
        {WriteWithAccess(folder, "long", std::string(4097, 'x') + "\r\n", TAccess::OwnerOnly),
         "its first line is longer than 4096 bytes"},
        {folder.Path().string(), "not a regular file"},
    };
    for (const TRefused& c : refused) {
        std::ostringstream err;
        EXPECT_EQ(PasswordFromFile(c.Path, err), std::nullopt) << c.Path;
        EXPECT_EQ(err.str(), "error: password file \"" + c.Path + "\": " + c.Reason + "\n");
    }
    // A missing file: the system's reason.
    std::ostringstream err;
    const std::string missing = folder.File("missing");
    EXPECT_EQ(PasswordFromFile(missing, err), std::nullopt);
    EXPECT_THAT(err.str(), ::testing::StartsWith("error: password file \"" + missing + "\": "));
    EXPECT_GT(err.str().size(), missing.size() + 26);
}
