// A connection lost under an active transaction: the attachment is deleted from a second
// connection, the next call raises the server's message, the connection is force-closed and
// the components connect again.
#include "IBX/client/IBConnectionLoss.h"
#include "IBX/connection/IBDatabase.h"

#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace ortavo::test {
namespace {

class ConnectionFaultTest : public ::testing::TestWithParam<TAccess> {
protected:
    void SetUp() override {
        db = std::make_unique<TTestDatabase>(GetParam());
        db->Execute("CREATE TABLE T1 (ID INTEGER)");
        db->Configure(base);
        base.SetDefaultTransaction(&tr);
        base.AfterDisconnect = [this](TComponent&) { ++disconnects; };
        link.SetDatabase(&base);
        link.AfterDatabaseDisconnect = [this](TIBBase&) { ++linkDisconnects; };
        base.Open();
        tr.StartTransaction();
        ExecuteIn(base, tr, "INSERT INTO T1 VALUES (1)");
        db->KillOtherAttachments();
    }

    // The call fails with the server's report of the lost connection, and afterwards
    // connection and transaction are closed and can be used again.
    void ExpectLostAndRecovered(const std::function<void()>& nextCall) {
        try {
            nextCall();
            FAIL() << "the call on a killed attachment succeeded";
        } catch (const EIBInterBaseError& error) {
            const std::string message = ToUtf8(error.Message());
            EXPECT_EQ(error.SQLCode(), -902) << message;
            EXPECT_TRUE(error.IBErrorCode() == isc_att_shutdown_code ||
                        error.IBErrorCode() == isc_net_write_err_code ||
                        error.IBErrorCode() == isc_net_read_err_code)
                << error.IBErrorCode() << " " << message;
            EXPECT_TRUE(message.find("connection shutdown") != std::string::npos ||
                        message.find("Error writing data to the connection") != std::string::npos ||
                        message.find("Error reading data from the connection") != std::string::npos)
                << message;
        }
        EXPECT_FALSE(base.Connected());
        EXPECT_FALSE(tr.InTransaction());
        EXPECT_EQ(disconnects, 1);
        EXPECT_EQ(linkDisconnects, 1);

        base.Open();
        tr.StartTransaction();
        ExecuteIn(base, tr, "INSERT INTO T1 VALUES (2)");
        tr.Commit();
        EXPECT_EQ(db->QueryInt("SELECT SUM(ID) FROM T1"), 2); // the first row died with it
    }

    std::unique_ptr<TTestDatabase> db;
    TIBDatabase base;
    TIBTransaction tr;
    TIBBase link{nullptr};
    int disconnects = 0;
    int linkDisconnects = 0;
};

INSTANTIATE_TEST_SUITE_P(Access, ConnectionFaultTest,
                         ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

TEST_P(ConnectionFaultTest, CommitOnAKilledAttachment) {
    ExpectLostAndRecovered([this] { tr.Commit(); });
}

TEST_P(ConnectionFaultTest, RetainingCommitOnAKilledAttachment) {
    ExpectLostAndRecovered([this] { tr.CommitRetaining(); });
}

TEST_P(ConnectionFaultTest, StatementOnAKilledAttachment) {
    ExpectLostAndRecovered([this] { ExecuteIn(base, tr, "INSERT INTO T1 VALUES (3)"); });
}

TEST_P(ConnectionFaultTest, CloseOfAKilledAttachmentSucceeds) {
    base.Close();
    EXPECT_FALSE(base.Connected());
    EXPECT_FALSE(tr.InTransaction());
    base.Open();
    EXPECT_TRUE(base.Connected());
}

} // namespace
} // namespace ortavo::test
