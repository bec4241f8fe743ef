// The client library binding: server types, loading Debian's libfbclient, the version and the
// stand-bys it implies, the loader's failures with stand-in libraries, and the thread the
// long calls run from.
#include "IBX/client/IB.h"
#include "IBX/client/IBBlockingCall.h"
#include "IBX/client/IBIntf.h"
#include "fixtures/RawClient.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

namespace ortavo {
namespace {

// A binding whose library file the test chooses.
class TestLibrary : public TIBServerLibrary {
public:
    explicit TestLibrary(std::string file) : FFile(std::move(file)) {}
    String LibraryName() const override { return FromUtf8(FFile); }

private:
    std::string FFile;
};

template <typename Call> String ClientErrorOf(Call call, int expectedSQLCode) {
    try {
        call();
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.SQLCode(), expectedSQLCode) << e.what();
        return e.Message();
    }
    ADD_FAILURE() << "no EIBClientError";
    return {};
}

TEST(ServerTypes, NamesCompareWithoutCaseAndYieldTheRegisteredSpelling) {
    EXPECT_EQ(LookupServerType(u"ibserver"), u"IBServer");
    EXPECT_EQ(LookupServerType(u"IBEMBEDDED"), u"IBEmbedded");
    EXPECT_EQ(ClientErrorOf([] { LookupServerType(u"gds32"); }, 123),
              u"Invalid library type assigned.  Valid strings are IBServer, IBEmbedded");
    EXPECT_EQ(GetGDSLibrary(u"IBServer")->LibraryName(), u"libfbclient.so.2");
    EXPECT_EQ(GetGDSLibrary(u"IBEmbedded")->LibraryName(), u"libfbclient.so.2");
    EXPECT_NE(GetGDSLibrary(u"IBServer"), GetGDSLibrary(u"IBEmbedded"));
    EXPECT_EQ(GetGDSLibrary(u"ibserver"), nullptr);
}

TEST(FirebirdClient, ReportsVersion63AndBindsWhatItHas) {
    IGDSLibrary& client = *GetGDSLibrary(u"IBServer");
    ASSERT_TRUE(client.TryIBLoad()) << "libfbclient.so.2 is not installed";
    EXPECT_DOUBLE_EQ(client.GetIBClientVersion(), 6.3);
    for (const char* name : {"isc_attach_database", "isc_rollback_retaining",
                             "isc_get_client_version", "isc_encode_timestamp", "fb_interpret"})
        EXPECT_TRUE(client.HasEntryPoint(name)) << name;
    for (const char* name :
         {"isc_array_gen_sdl2", "isc_blob_set_desc2", "isc_start_savepoint",
          "isc_release_savepoint", "isc_dsql_batch_execute", "isc_dsql_batch_execute_immed"})
        EXPECT_FALSE(client.HasEntryPoint(name)) << name;

    EXPECT_EQ(client.isc_get_client_major_version(), 6);
    EXPECT_EQ(client.isc_get_client_minor_version(), 3);
    char version[64] = {};
    client.isc_get_client_version(version);
    EXPECT_NE(std::string(version).find("Firebird"), std::string::npos) << version;
    const ISC_SCHAR bytes[] = {0x10, 0x00, 0x01};
    EXPECT_EQ(client.isc_vax_integer(bytes, 3), 0x010010);
}

TEST(FirebirdClient, StandBysRaiseTheirVersionTexts) {
    IGDSLibrary& client = testing::Client();
    EXPECT_EQ(
        ClientErrorOf(
            [&] { client.isc_array_gen_sdl2(nullptr, nullptr, nullptr, nullptr, nullptr); }, 0),
        u"isc_array_gen_sdl2  is an InterBase 7.0 function. Please upgrade to InterBase 7.0 "
        u"to use this functonality");
    EXPECT_EQ(ClientErrorOf([&] { client.isc_blob_default_desc2(nullptr, nullptr, nullptr); }, 0),
              u"isc_blob_default_desc2  is an InterBase 7.0 function. Please upgrade to "
              u"InterBase 7.0 to use this functonality");
    EXPECT_EQ(
        ClientErrorOf([&] { client.isc_rollback_savepoint(nullptr, nullptr, nullptr, 0); }, 0),
        u"isc_rollback_savepoint  is an InterBase 7.1 function. Please upgrade to "
        u"InterBase 7.1 to use this functonality");
    EXPECT_EQ(ClientErrorOf(
                  [&] {
                      client.isc_dsql_batch_execute(nullptr, nullptr, nullptr, 0, nullptr, 0,
                                                    nullptr, nullptr);
                  },
                  0),
              u"isc_dsql_batch_execute  is an InterBase 2007 function. Please upgrade to "
              u"InterBase 2007 to use this functonality");
}

// isc_start_transaction and isc_event_block take variable argument lists in C; the binding's
// fixed forms must hand the library exactly what it reads.
TEST(FirebirdClient, FixedFormsOfTheVariadicCalls) {
    IGDSLibrary& client = testing::Client();
    const ISC_SCHAR* names[] = {"A", "BC"};
    ISC_UCHAR* events = nullptr;
    ISC_UCHAR* results = nullptr;
    // Version byte, then per name its length, its bytes and a 4-byte count.
    ASSERT_EQ(client.isc_event_block(&events, &results, 2, names), 1 + (1 + 1 + 4) + (1 + 2 + 4));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(events) + 1, 8), std::string("\x01"
                                                                               "A\0\0\0\0\x02"
                                                                               "BC",
                                                                               8));
    client.isc_free(reinterpret_cast<ISC_SCHAR*>(events));
    client.isc_free(reinterpret_cast<ISC_SCHAR*>(results));

    std::vector<const ISC_SCHAR*> many(IBMaxEventNames + 1, "E");
    EXPECT_EQ(
        ClientErrorOf([&] { client.isc_event_block(&events, &results, 16, many.data()); }, 82),
        u"Exceded Maximum Event limits");

    // A count of two databases would make the library read a second database, length and
    // block that were never passed.
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    EXPECT_EQ(
        ClientErrorOf(
            [&] { client.isc_start_transaction(ThreadStatusVector(), &tr, 2, &db, 0, nullptr); },
            4),
        u"Unsupported feature");
    EXPECT_EQ(tr, 0u);
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
            EXPECT_EQ(e.ErrorCode(), ENOSYS);
            String message = e.Message();
            EXPECT_EQ(message.rfind(u"System Error.  Code: 38.\r\n", 0), 0u) << e.what();
            EXPECT_NE(message.find(u"undefined symbol: isc_transaction_info"), String::npos)
                << e.what();
        }
    }
    EXPECT_FALSE(library.HasEntryPoint("isc_attach_database"));
    // Entry points resolved before the failure are not kept: the call reloads and fails again.
    EXPECT_THROW(library.isc_attach_database(nullptr, 0, nullptr, nullptr, 0, nullptr), EOSError);
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
