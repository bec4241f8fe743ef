// The client library binding on Debian's libfbclient: the version, the entry points and the
// stand-bys it implies, and the fixed forms of the variadic calls.
#include "IBX/client/IB.h"
#include "IBX/client/IBIntf.h"
#include "fixtures/ClientTesting.h"
#include "fixtures/RawClient.h"

#include <gtest/gtest.h>

#include <vector>

namespace ortavo {
namespace {

using testing::ClientErrorOf;

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

} // namespace
} // namespace ortavo
