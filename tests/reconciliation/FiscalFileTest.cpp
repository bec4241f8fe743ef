// Loading fiscal files: byte-order marks, ANSI decoding, line breaks, the count rule, the
// 4096-character cut, open failures, files that change while read and the capacity.
#include "reconciliation/FiscalFile.h"
#include "FileTesting.h"
#include "TempFolder.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

using namespace ortavo;
using namespace ortavo::testing;

namespace {

// The lines a run reads back from the view after loading a file of these bytes.
std::vector<String> Load(const std::string& bytes) {
    TempFolder folder;
    TMemoLines view;
    LoadFiscalFile(FromUtf8(folder.Write("f.txt", bytes)), view);
    std::vector<String> lines;
    for (int i = 0; i < view.Count(); ++i)
        lines.push_back(view.Get(i));
    return lines;
}

} // namespace

TEST(FiscalFile, ByteOrderMarksChooseTheEncodingAndAreSkipped) {
    EXPECT_EQ(Load("\xEF\xBB\xBF"
                   "E01 Conceição\r\n")[0],
              u"E01 Conceição");
    EXPECT_EQ(Load(std::string("\xFF\xFE"
                               "E\0"
                               "0\0"
                               "1\0",
                               8))[0],
              u"E01");
    EXPECT_EQ(Load(std::string("\xFE\xFF\0E\0"
                               "0\0"
                               "1",
                               8))[0],
              u"E01");
    // Without a mark: Windows-1252, the high control range included.
    EXPECT_EQ(Load("E01 Concei\xE7\xE3o \x80\x81")[0], u"E01 Conceição €\u0081");
}

TEST(FiscalFile, EveryKindOfBreakEndsOneLine) {
    for (const char* bytes : {"a\r\nb\r\nc", "a\nb\nc\n", "a\rb\rc\r", "a\r\nb\nc\r"}) {
        auto lines = Load(bytes);
        ASSERT_EQ(lines.size(), 3u) << bytes;
        EXPECT_EQ(lines[1], u"b");
        EXPECT_EQ(lines[2], u"c");
    }
    EXPECT_EQ(Load("").size(), 0u);
    EXPECT_EQ(Load("\r\n").size(), 1u);
    EXPECT_EQ(Load("E01\r\n\r\nE14")[1], u"");
}

TEST(FiscalFile, LongLinesAreReadBackCut) {
    std::string line(5000, 'x');
    auto lines = Load("E01\r\n" + line + "\r\nE14");
    EXPECT_EQ(lines[1].size(), 4096u);
    EXPECT_EQ(lines[2], u"E14");
}

// A file written with CR LF breaks, as the printers' programs write them, is read whole:
// read short, it would be taken for a file that changed while read.
TEST(FiscalFile, CrLfBreaksAreReadAsTheyAre) {
    TempFolder folder;
    const std::string bytes = "E01 Concei\xE7\xE3o\r\nE14\r\n\r\n\x1A";
    EXPECT_EQ(ReadFiscalFileText(FromUtf8(folder.Write("crlf.txt", bytes))),
              u"E01 Conceição\r\nE14\r\n\r\n\x1A");
}

TEST(FiscalFile, OpenFailuresNameTheFullPathAndTheReason) {
    TempFolder folder;
    auto expect = [](const String& path, const String& message) {
        TMemoLines lines;
        try {
            LoadFiscalFile(path, lines);
            FAIL() << ToUtf8(path);
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    };
    const auto full = [&](const std::string& name) {
        return FromUtf8((folder.Path() / name).string());
    };
    String dir = FromUtf8(folder.Path().string());
    expect(dir + u"/missing.txt",
           u"Cannot open file \"" + full("missing.txt") + u"\". " + NotFoundText());
    expect(dir, u"Cannot open file \"" + dir + u"\". Is a directory");
    // A device's full name is the system's own ("\\.\NUL"): the reason is what counts.
    for (const std::string& name : NotRegularFiles(folder)) {
        TMemoLines lines;
        try {
            LoadFiscalFile(FromUtf8(name), lines);
            ADD_FAILURE() << name;
        } catch (const EFOpenError& e) {
            EXPECT_TRUE(e.Message().ends_with(u"\". Not a regular file")) << e.what();
        }
    }
    // A writer holding its lock keeps the reader out rather than hand it half a file.
    const std::string locked = folder.Write("locked.txt", "E01");
    {
        TWriterLock writer(locked);
        expect(FromUtf8(locked),
               u"Cannot open file \"" + FromUtf8(locked) + u"\". " + LockedText());
    }
    EXPECT_EQ(ReadFiscalFileText(FromUtf8(locked)), u"E01");

    // A relative name is reported with the folder it was looked up in.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    expect(u"nada.txt", u"Cannot open file \"" + full("nada.txt") + u"\". " + NotFoundText());
    std::filesystem::current_path(cwd);
}

TEST(FiscalFile, ExistenceCountsFilesAndLinksToFilesOnly) {
    TempFolder folder;
    std::string file = folder.Write("a.txt", "E01");
    EXPECT_TRUE(FiscalFileExists(FromUtf8(file)));
    EXPECT_FALSE(FiscalFileExists(FromUtf8(folder.File("missing.txt"))));
    EXPECT_FALSE(FiscalFileExists(FromUtf8(folder.Path().string())));
    EXPECT_FALSE(FiscalFileExists(u""));
    // Links need a privilege on Windows; where they cannot be made, files alone are tried.
    std::string link = (folder.Path() / "link").string();
    std::string dangling = (folder.Path() / "dangling").string();
    std::error_code ec;
    std::filesystem::create_symlink(file, link, ec);
    if (!ec)
        std::filesystem::create_symlink(folder.File("nowhere.txt"), dangling, ec);
    if (ec)
        return;
    EXPECT_TRUE(FiscalFileExists(FromUtf8(link)));
    EXPECT_FALSE(FiscalFileExists(FromUtf8(dangling)));
}

// Cut, grown, replaced or rewritten in place between the first piece and the end of the
// read: refused, never taken for the whole file, whether the file system locks or not.
TEST(FiscalFile, AFileThatChangesWhileReadIsRefused) {
    TempFolder folder;
    const std::string bytes(3 << 20, 'x');
    // Each tells whether it could change the file: Windows keeps an open file from being
    // replaced.
    const std::function<bool(const std::string&)> changes[] = {
        [](const std::string& path) {
            std::filesystem::resize_file(path, 1 << 19);
            return true;
        },
        [](const std::string& path) {
            std::ofstream(path, std::ios::app | std::ios::binary) << "E14";
            return true;
        },
        [&](const std::string& path) {
            std::error_code ec;
            std::filesystem::rename(folder.Write("other.txt", bytes), path, ec);
            return !ec;
        },
        // The same size and file: only the times tell.
        [](const std::string& path) {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(1 << 21);
            file.write("yyy", 3);
            return file.good();
        }};
    // A file exported earlier: the file system stamps times in clock ticks, and a rewrite
    // within the tick of the last change could otherwise keep them.
    const auto exported = [](const std::string& path) {
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::hours(24 * 365));
    };
    struct ScopedLockFailure {
        ~ScopedLockFailure() { PlayLockFailure(0); }
    } restore;
    int kept = 0;
    for (int lockFailure : LockFailures()) {
        PlayLockFailure(lockFailure);
        const std::string path = folder.Write("f.txt", bytes);
        exported(path);
        EXPECT_EQ(ReadFiscalFileText(FromUtf8(path)).size(), bytes.size()) << lockFailure;
        for (const auto& change : changes) {
            folder.Write("f.txt", bytes);
            exported(path);
            bool changed = false, applied = false;
            try {
                const String text =
                    ReadFiscalFileText(FromUtf8(path), TMemoLines::DefaultCapacity, [&] {
                        if (!std::exchange(changed, true))
                            applied = change(path);
                    });
                EXPECT_FALSE(applied) << "read as complete, lock failure " << lockFailure;
                ++kept;
                EXPECT_EQ(text.size(), bytes.size());
            } catch (const EFOpenError& e) {
                EXPECT_TRUE(applied);
                EXPECT_EQ(e.Message(), u"Cannot open file \"" + FromUtf8(path) +
                                           u"\". The file changed while it was being read");
            }
        }
    }
    EXPECT_LE(kept, static_cast<int>(LockFailures().size())); // the replacement alone
}

// Past the view's capacity the reading stops at once, not at the end of a file that may
// be larger than memory.
TEST(FiscalFile, ReadingStopsAtTheCapacity) {
    TempFolder folder;
    for (const std::string mark : {"", "\xEF\xBB\xBF", "\xFF\xFE"}) {
        const std::string path = folder.Write("big.txt", mark + std::string(5 << 20, 'x'));
        int pieces = 0;
        EXPECT_THROW(ReadFiscalFileText(FromUtf8(path), 1000, [&] { ++pieces; }),
                     EInvalidOperation);
        EXPECT_EQ(pieces, 0) << mark.size();
    }
    TMemoLines view;
    view.SetCapacity(4);
    const std::string path = folder.Write("five.txt", "E01\n");
    EXPECT_THROW(LoadFiscalFile(FromUtf8(path), view), EInvalidOperation);
    view.SetCapacity(5);
    LoadFiscalFile(FromUtf8(path), view);
    EXPECT_EQ(view.Count(), 1);
}
