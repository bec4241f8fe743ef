// The loader: server types, the stand-in client libraries of its failure paths, and the
// thread the long calls run from. Built on every platform; the stand-ins are made by the
// test's build.
#include "IBX/client/IB.h"
#include "IBX/client/IBBlockingCall.h"
#include "IBX/client/IBIntf.h"
#include "TempFolder.h"
#include "fixtures/ClientTesting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace ortavo {
namespace {

using testing::ClientErrorOf;

#ifdef _WIN32
constexpr const char16_t* kClientFile = u"fbclient.dll";
// What the system says of an entry point the library lacks.
constexpr int kMissingEntryCode = 127; // ERROR_PROC_NOT_FOUND
constexpr const char16_t* kMissingEntryText = u": isc_transaction_info";
#else
constexpr const char16_t* kClientFile = u"libfbclient.so.2";
constexpr int kMissingEntryCode = 38; // ENOSYS
constexpr const char16_t* kMissingEntryText = u"undefined symbol: isc_transaction_info";
#endif
using testing::TestLibrary;

TEST(ServerTypes, NamesCompareWithoutCaseAndYieldTheRegisteredSpelling) {
    EXPECT_EQ(LookupServerType(u"ibserver"), u"IBServer");
    EXPECT_EQ(LookupServerType(u"IBEMBEDDED"), u"IBEmbedded");
    EXPECT_EQ(ClientErrorOf([] { LookupServerType(u"gds32"); }, 123),
              u"Invalid library type assigned.  Valid strings are IBServer, IBEmbedded");
    EXPECT_EQ(GetGDSLibrary(u"IBServer")->LibraryName(), kClientFile);
    EXPECT_EQ(GetGDSLibrary(u"IBEmbedded")->LibraryName(), kClientFile);
    EXPECT_NE(GetGDSLibrary(u"IBServer"), GetGDSLibrary(u"IBEmbedded"));
    EXPECT_EQ(GetGDSLibrary(u"ibserver"), nullptr);
}

TEST(Loader, MissingLibraryFailsOnEveryAttemptUntilItIsThere) {
    testing::TempFolder folder;
    std::string file = folder.File("libclient.so");
    TestLibrary library(file);
    String expected = u"InterBase library " + FromUtf8(file) +
                      u" not found in the path. Please install InterBase to use this "
                      u"functionality";
    EXPECT_FALSE(library.TryIBLoad());
    EXPECT_EQ(ClientErrorOf([&] { library.CheckIBLoaded(); }, 1), expected);
    EXPECT_EQ(ClientErrorOf([&] { library.GetIBClientVersion(); }, 1), expected);
    // A client call on the unloaded binding tries the load and calls nothing.
    EXPECT_EQ(ClientErrorOf([&] { library.isc_sqlcode(nullptr); }, 1), expected);

    std::filesystem::copy_file(IBX_CLIENT_VERSION5, file);
    library.CheckIBLoaded();
    EXPECT_TRUE(library.TryIBLoad());
    EXPECT_DOUBLE_EQ(library.GetIBClientVersion(), 5.0);
}

TEST(Loader, OlderClientsGetStandBysForWhatTheyLack) {
    TestLibrary version5(IBX_CLIENT_VERSION5);
    EXPECT_DOUBLE_EQ(version5.GetIBClientVersion(), 5.0);
    EXPECT_EQ(ClientErrorOf([&] { version5.isc_rollback_retaining(nullptr, nullptr); }, 3),
              u"isc_rollback_retaining is an InterBase 6 function. Please upgrade to InterBase 6 "
              u"to use this functonality");
    EXPECT_EQ(ClientErrorOf([&] { version5.isc_encode_timestamp(nullptr, nullptr); }, 3),
              u"isc_encode_timestamp is an InterBase 6 function. Please upgrade to InterBase 6 "
              u"to use this functonality");
    EXPECT_EQ(ClientErrorOf([&] { version5.isc_get_client_major_version(); }, 0),
              u"isc_get_client_major_version  is an InterBase 7.0 function. Please upgrade to "
              u"InterBase 7.0 to use this functonality");
    EXPECT_FALSE(version5.HasEntryPoint("fb_interpret"));
    EXPECT_EQ(ClientErrorOf([&] { version5.fb_interpret(nullptr, 0, nullptr); }, 4),
              u"Unsupported feature");

    TestLibrary version6(IBX_CLIENT_VERSION6);
    EXPECT_DOUBLE_EQ(version6.GetIBClientVersion(), 6.0);
    EXPECT_TRUE(version6.HasEntryPoint("isc_rollback_retaining"));
    EXPECT_TRUE(version6.HasEntryPoint("isc_service_attach"));
    EXPECT_EQ(ClientErrorOf([&] { version6.isc_get_client_version(nullptr); }, 0),
              u"isc_get_client_version  is an InterBase 7.0 function. Please upgrade to "
              u"InterBase 7.0 to use this functonality");
}

TEST(Loader, MissingRequiredEntryPointFailsTheLoadEachTime) {
    TestLibrary library(IBX_CLIENT_MISSING_ENTRY);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            library.CheckIBLoaded();
            FAIL() << "the load succeeded";
        } catch (const EOSError& e) {
            EXPECT_EQ(e.ErrorCode(), kMissingEntryCode);
            String message = e.Message();
            EXPECT_EQ(message.rfind(u"System Error.  Code: " +
                                        FromAscii(std::to_string(kMissingEntryCode)) + u".\r\n",
                                    0),
                      0u)
                << e.what();
            EXPECT_NE(message.find(kMissingEntryText), String::npos) << e.what();
        }
    }
    EXPECT_FALSE(library.HasEntryPoint("isc_attach_database"));
    // Entry points resolved before the failure are not kept: the call reloads and fails again.
    EXPECT_THROW(library.isc_attach_database(nullptr, 0, nullptr, nullptr, 0, nullptr), EOSError);
}

TEST(Loader, AFirebird3ClientBindsEveryEntryPointItHas) {
    TestLibrary client(IBX_CLIENT_FIREBIRD3);
    EXPECT_DOUBLE_EQ(client.GetIBClientVersion(), 6.3);
    for (const char* name :
         {"isc_attach_database", "isc_transaction_info", "isc_rollback_retaining",
          "isc_encode_timestamp", "isc_get_client_version", "fb_interpret"})
        EXPECT_TRUE(client.HasEntryPoint(name)) << name;
    EXPECT_FALSE(client.HasEntryPoint("isc_array_gen_sdl2"));
    char version[64] = {};
    client.isc_get_client_version(version);
    EXPECT_STREQ(version, "WI-V3.0 Firebird 3.0 stand-in");
    // By its bare name the server type finds the client where the system keeps it (on
    // Windows the test's stand-in, beside the program).
    EXPECT_DOUBLE_EQ(GetGDSLibrary(u"IBServer")->GetIBClientVersion(), 6.3);
}

// A bare name is looked for where the system keeps libraries (on Windows, the program's
// folder, the system folder, then PATH's absolute folders), never in the current folder: a
// client library planted beside a database or a fiscal file must not be loaded.
TEST(Loader, ABareNameIsNeverTakenFromTheCurrentFolder) {
    testing::TempFolder folder;
    const std::string name = "ortavo-planted-client.dll";
    const std::filesystem::path planted = folder.Path() / name;
    std::filesystem::copy_file(IBX_CLIENT_FIREBIRD3, planted);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    const bool loaded = TestLibrary(name).TryIBLoad();
#ifdef _WIN32
    const char* own = std::getenv("PATH");
    const std::string path = own ? own : "";
    _putenv_s("PATH", (".;;" + path).c_str());
    const bool loadedThroughDot = TestLibrary(name).TryIBLoad();
    _putenv_s("PATH", (folder.Path().string() + ";" + path).c_str());
    const bool loadedThroughPath = TestLibrary(name).TryIBLoad();
    _putenv_s("PATH", path.c_str());
    EXPECT_FALSE(loadedThroughDot);
    EXPECT_TRUE(loadedThroughPath);
#endif
    std::filesystem::current_path(previous);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(TestLibrary(planted.string()).TryIBLoad());
}

// The runner lent waits on its lender's window: a call from any other thread is refused
// rather than run where nobody waits for it.
TEST(BlockingCalls, GoThroughTheRunnerLentOnlyFromItsThread) {
    int calls = 0, throughRunner = 0;
    auto call = [&] { ++calls; };
    const TBlockingCallRunner previous =
        SetBlockingCallRunner([&](const std::function<void()>& blocking) {
            ++throughRunner;
            blocking();
        });
    RunBlockingCall(call);
    std::string refused;
    std::thread([&] {
        try {
            RunBlockingCall(call);
        } catch (const EInvalidOperation& e) {
            refused = e.what();
        }
    }).join();
    SetBlockingCallRunner(previous);
    EXPECT_EQ(refused, "A long client call was made on a thread other than the one that lent "
                       "its runner");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(throughRunner, 1);
    // Without a runner every thread runs its calls in place.
    std::thread([&] { RunBlockingCall(call); }).join();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(throughRunner, 1);
}

} // namespace
} // namespace ortavo
