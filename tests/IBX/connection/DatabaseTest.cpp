// The database connection against the embedded engine and the server: connect and close,
// failures to attach, the dialect, refused changes, server types, login, links, idle timer.
#include "IBX/connection/IBDatabase.h"

#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ortavo::test {
namespace {

class ConnectionTest : public ::testing::TestWithParam<TAccess> {};

INSTANTIATE_TEST_SUITE_P(Access, ConnectionTest,
                         ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

TEST_P(ConnectionTest, OpensClosesAndReusesTheParameterBlock) {
    TTestDatabase db(GetParam());
    std::string events; // outlives base, whose destructor still fires the events
    TIBDatabase base;
    db.Configure(base);
    base.BeforeConnect = [&](TComponent&) { events += "bc "; };
    base.AfterConnect = [&](TComponent&) { events += "ac "; };
    base.BeforeDisconnect = [&](TComponent&) { events += "bd "; };
    base.AfterDisconnect = [&](TComponent&) { events += "ad "; };

    base.Close(); // never connected: nothing happens
    EXPECT_EQ(events, "");
    EXPECT_FALSE(base.Connected());

    base.Open();
    ASSERT_TRUE(base.Connected());
    EXPECT_NE(base.Handle(), 0u);
    EXPECT_EQ(base.DBSQLDialect(), 3);
    EXPECT_EQ(base.SQLDialect(), 3);
    EXPECT_EQ(base.CharacterSet(), u"NONE");
    EXPECT_EQ(base.DPB(), LoginDPB("SYSDBA", SysdbaPassword()));
    base.Open(); // already open: nothing happens
    base.Close();
    EXPECT_FALSE(base.Connected());
    EXPECT_EQ(base.DBSQLDialect(), 1);
    EXPECT_EQ(events, "bc ac bd ad ");

    base.SetConnected(true);
    EXPECT_TRUE(base.Connected());
    EXPECT_EQ(base.DPBBuildCount(), 1);
    base.Close();

    base.Params().Add(u"lc_ctype=WIN1252");
    base.Open();
    EXPECT_EQ(base.DPBBuildCount(), 2);
    EXPECT_EQ(base.CharacterSet(), u"WIN1252");
    EXPECT_EQ(base.CharacterSetCodePage(), 1252);
}

TEST_P(ConnectionTest, MissingFileGivesTheServerMessageAndStaysClosed) {
    TTestDatabase db(GetParam());
    TIBDatabase base;
    db.Configure(base);
    base.SetDatabaseName(db.MissingName());
    try {
        base.Open();
        FAIL() << "attached a missing file";
    } catch (const EIBInterBaseError& error) {
        EXPECT_EQ(error.IBErrorCode(), isc_io_error);
        EXPECT_NE(ToUtf8(error.Message()).find("missing.fdb"), std::string::npos)
            << ToUtf8(error.Message());
    }
    EXPECT_FALSE(base.Connected());
    EXPECT_EQ(base.Handle(), 0u);

    base.SetDatabaseName(db.Name());
    base.Open();
    EXPECT_TRUE(base.Connected());
}

TEST(ConnectionNameTest, NameTooLongForTheAttachCallIsRefused) {
    TTestDatabase db(TAccess::Embedded);
    TIBDatabase base;
    db.Configure(base);
    base.SetDatabaseName(String(40000, u'x'));
    try {
        base.Open();
        FAIL() << "attached with a wrapped name length";
    } catch (const EIBClientError& error) {
        EXPECT_EQ(error.SQLCode(), 119);
        EXPECT_EQ(error.Message(), u"Database name is 40000 bytes long; at most 32767 fit");
    }
    EXPECT_FALSE(base.Connected());
}

TEST(ConnectionServerTest, WrongPasswordGivesTheServerMessageAndStaysClosed) {
    TTestDatabase db(TAccess::Server);
    TIBDatabase base;
    db.Configure(base);
    base.Params().Clear();
    base.Params().Add(u"user_name=SYSDBA");
    base.Params().Add(u"password=wrong");
    try {
        base.Open();
        FAIL() << "attached with a wrong password";
    } catch (const EIBInterBaseError& error) {
        EXPECT_EQ(error.IBErrorCode(), isc_login);
        EXPECT_EQ(error.SQLCode(), -902);
        EXPECT_NE(ToUtf8(error.Message()).find("user name and password are not defined"),
                  std::string::npos)
            << ToUtf8(error.Message());
    }
    EXPECT_FALSE(base.Connected());
}

TEST(ConnectionServerTest, PresetUserOfTheWindowConnects) {
    TTestDatabase db(TAccess::Server);
    TIBDatabase base;
    base.SetDatabaseName(db.Name());
    base.Params().SetText(u"user_name=VORAS\npassword=##480317");
    base.SetLoginPrompt(false);
    base.SetServerType(u"IBServer");
    base.Open();
    EXPECT_TRUE(base.Connected());
}

TEST(ConnectionDialectTest, DialectOneDatabaseLowersSQLDialectOnce) {
    TTestDatabase db(TAccess::Embedded, 1);
    TIBDatabase base;
    db.Configure(base);
    int warnings = 0;
    base.OnDialectDowngradeWarning = [&](TIBDatabase& sender) {
        EXPECT_EQ(&sender, &base);
        ++warnings;
    };
    base.Open();
    EXPECT_EQ(base.DBSQLDialect(), 1);
    EXPECT_EQ(base.SQLDialect(), 1);
    EXPECT_EQ(warnings, 1);
    ExpectClientError([&] { base.SetSQLDialect(3); }, 87, u"SQL Dialect Invalid");
    base.Close();
    EXPECT_EQ(base.DBSQLDialect(), 1);
    EXPECT_EQ(base.SQLDialect(), 1);
    base.Open();
    EXPECT_EQ(warnings, 1);
    ExpectClientError([&] { base.SetSQLDialect(0); }, 87, u"SQL Dialect Invalid");
}

TEST(ConnectionStateTest, NameAndParamsAreRefusedWhileConnected) {
    TTestDatabase db(TAccess::Embedded);
    TIBDatabase base;
    db.Configure(base);
    base.Open();
    const String name = base.DatabaseName();
    base.SetDatabaseName(name); // equal: nothing happens
    ExpectClientError([&] { base.SetDatabaseName(db.MissingName()); }, 16,
                      u"Cannot perform operation -- DB is currently open");
    EXPECT_EQ(base.DatabaseName(), name);

    const String lines = base.Params().Text();
    ExpectClientError([&] { base.Params().Add(u"lc_ctype=UTF8"); }, 16,
                      u"Cannot perform operation -- DB is currently open");
    ExpectClientError([&] { base.Params().Clear(); }, 16,
                      u"Cannot perform operation -- DB is currently open");
    EXPECT_EQ(base.Params().Text(), lines);
    EXPECT_EQ(base.DPBBuildCount(), 1);
    ExpectClientError([&] { base.SetHandle(0); }, 16,
                      u"Cannot perform operation -- DB is currently open");
    EXPECT_TRUE(base.Connected());

    base.Close();
    base.SetDatabaseName(db.MissingName());
    EXPECT_EQ(base.DatabaseName(), db.MissingName());
}

TEST(ConnectionLayoutTest, StreamedConnectionOpensAfterLoadingUnlessRefused) {
    TTestDatabase db(TAccess::Embedded);
    for (bool allow : {true, false}) {
        TIBDatabase base;
        TIBTransaction tr;
        base.BeginLoading();
        tr.BeginLoading();
        base.SetDatabaseName(db.Name());
        base.Params().SetText(u"user_name=SYSDBA");
        base.SetLoginPrompt(false);
        base.SetAllowStreamedConnected(allow);
        base.SetConnected(true);
        tr.SetActive(true);
        base.SetDefaultTransaction(&tr);
        EXPECT_FALSE(base.Connected());
        tr.Loaded(); // its database is still being read
        EXPECT_FALSE(tr.InTransaction());
        base.Loaded();
        EXPECT_EQ(base.ServerType(), u"IBServer");
        EXPECT_EQ(base.Connected(), allow);
        EXPECT_EQ(tr.InTransaction(), allow);
    }
}

TEST(ConnectionStateTest, OperationsNeedTheirPreconditions) {
    TIBDatabase base;
    base.SetLoginPrompt(false);
    ExpectClientError([&] { base.Open(); }, 17, u"Database name is missing");
    EXPECT_EQ(base.ServerType(), u"IBServer"); // a connect sets the default server type
    ExpectClientError([&] { base.CheckActive(); }, 15,
                      u"Cannot perform operation -- DB is not open");
    ExpectClientError([&] { base.SetIdleTimer(-1); }, 20, u"Timeout values cannot be negative");
    base.ForceClose(); // not connected: nothing happens
}

TEST(ConnectionStateTest, RefusedParameterIsRefusedAgainOnTheNextConnect) {
    TTestDatabase db(TAccess::Embedded);
    TIBDatabase base;
    db.Configure(base);
    base.Params().Add(u"no_such_param=1");
    for (int attempt = 0; attempt < 2; ++attempt)
        ExpectClientError([&] { base.Open(); }, 114, u"DPB Constant (no_such_param) is unknown");
    EXPECT_FALSE(base.Connected());
    EXPECT_EQ(base.DPBBuildCount(), 0);
}

TEST(ConnectionServerTypeTest, RegisteredSpellingLoadedAndKept) {
    TTestDatabase db(TAccess::Embedded);
    TIBDatabase base;
    EXPECT_EQ(base.GDSLibrary(), nullptr);
    base.SetServerType(u"ibserver");
    EXPECT_EQ(base.ServerType(), u"IBServer");
    IGDSLibrary* library = base.GDSLibrary();
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(library->TryIBLoad());

    EXPECT_THROW(base.SetServerType(u"NoSuchServer"), EIBClientError);
    EXPECT_EQ(base.ServerType(), u"IBServer");
    EXPECT_EQ(base.GDSLibrary(), library);

    db.Configure(base);
    base.Open();
    try {
        base.SetServerType(u"IBEmbedded");
        FAIL() << "server type changed on an open connection";
    } catch (const Exception& error) {
        EXPECT_EQ(ToUtf8(error.Message()), "ServerType can not be changed on an active connection");
    }
    base.SetServerType(u"IBServer"); // equal: nothing happens
    base.Close();
    base.SetServerType(u"");
    EXPECT_EQ(base.GDSLibrary(), nullptr);
    base.SetServerType(u"IBEmbedded");
    EXPECT_EQ(base.ServerType(), u"IBEmbedded");
}

TEST(ConnectionLoginTest, PromptWithoutHandlerIsRefusedAndHandlerEditsParams) {
    TTestDatabase db(TAccess::Server);
    TIBDatabase base;
    db.Configure(base);
    base.Params().Clear();
    base.SetLoginPrompt(true);
    ExpectClientError([&] { base.Open(); }, 10, u"Operation cancelled at user's request");
    EXPECT_FALSE(base.Connected());

    base.OnLogin = [](TIBDatabase&, TStrings& params) {
        params.Add(u"user_name=VORAS");
        params.Add(u"password=##480317");
    };
    base.Open();
    EXPECT_TRUE(base.Connected());
    EXPECT_EQ(base.Params().Values(u"user_name"), u"VORAS");
}

TEST(ConnectionLinkTest, LinksFollowTheConnectionAndAreToldAboutIt) {
    TTestDatabase db(TAccess::Embedded);
    auto base = std::make_unique<TIBDatabase>();
    db.Configure(*base);
    TIBTransaction tr;
    base->SetDefaultTransaction(&tr);
    EXPECT_EQ(tr.DatabaseCount(), 1);
    EXPECT_EQ(base->TransactionCount(), 2); // the internal transaction and tr
    EXPECT_EQ(base->FindDefaultTransaction(), &tr);
    EXPECT_EQ(tr.DefaultDatabase(), nullptr);
    EXPECT_EQ(tr.FindDefaultDatabase(), base.get());

    std::string told;
    TIBBase link(nullptr);
    link.BeforeDatabaseDisconnect = [&](TIBBase& l) {
        told += l.Database()->Connected() ? "before(open) " : "before(closed) ";
    };
    link.AfterDatabaseDisconnect = [&](TIBBase& l) {
        told += l.Database()->Connected() ? "after(open) " : "after(closed) ";
    };
    link.OnDatabaseFree = [&](TIBBase&) { told += "free "; };
    link.SetDatabase(base.get());
    EXPECT_EQ(link.Transaction(), &tr);
    EXPECT_EQ(base->SQLObjectCount(), 1);
    EXPECT_EQ(tr.SQLObjectCount(), 1);
    ExpectClientError([&] { link.DBHandle(); }, 15, u"Cannot perform operation -- DB is not open");

    base->Open();
    EXPECT_EQ(*link.DBHandle(), base->Handle());
    base->Close();
    EXPECT_EQ(told, "before(open) after(closed) ");

    base.reset();
    EXPECT_EQ(told, "before(open) after(closed) free ");
    EXPECT_EQ(link.Database(), nullptr);
    EXPECT_EQ(tr.DatabaseCount(), 0);
    ExpectClientError([&] { link.CheckDatabase(); }, 24, u"Database not assigned");
}

TEST(ConnectionLinkTest, DestructionLetsEverythingGoWhateverTheHandlersDo) {
    TTestDatabase db(TAccess::Embedded);
    db.Execute("CREATE TABLE T1 (ID INTEGER)");
    TIBTransaction tr;
    TIBBase first(nullptr), second(nullptr);
    std::string freed;
    {
        TIBDatabase base;
        db.Configure(base);
        base.SetDefaultTransaction(&tr);
        first.SetDatabase(&base);
        second.SetDatabase(&base);
        first.OnDatabaseFree = [&](TIBBase&) { freed += "first "; };
        second.OnDatabaseFree = [&](TIBBase&) {
            freed += "second ";
            throw Exception(u"refused");
        };
        base.Open();
        tr.StartTransaction();
        ExecuteIn(base, tr, "INSERT INTO T1 VALUES (1)");
        // Refuses the close and the forced close alike.
        base.BeforeDisconnect = [](TComponent&) { throw Exception(u"refused"); };
    }
    EXPECT_EQ(freed, "second first ");
    EXPECT_EQ(first.Database(), nullptr);
    EXPECT_EQ(second.Database(), nullptr);
    EXPECT_EQ(tr.DatabaseCount(), 0);
    EXPECT_EQ(tr.FindDefaultDatabase(), nullptr);
    EXPECT_FALSE(tr.InTransaction());
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM T1"), 1);
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE MON$SYSTEM_FLAG = 0 "
                          "AND MON$ATTACHMENT_ID <> CURRENT_CONNECTION"),
              0);
}

TEST(ConnectionIdleTimerTest, ClosesAfterTwoTicksWithoutACall) {
    TTestDatabase db(TAccess::Embedded);
    TManualTimers timers;
    TIBDatabase base;
    db.Configure(base);
    int idle = 0;
    base.OnIdleTimer = [&](TIBDatabase&) { ++idle; };
    base.SetIdleTimer(500);
    EXPECT_EQ(base.IdleTimer(), 500);
    EXPECT_EQ(timers.ArmedCount(), 1);
    base.Open();

    timers.Tick();
    base.Call(0, true); // a checked call keeps it open
    timers.Tick();
    EXPECT_TRUE(base.Connected());
    timers.Tick();
    EXPECT_FALSE(base.Connected());
    EXPECT_EQ(idle, 1);

    base.SetIdleTimer(0);
    EXPECT_EQ(timers.ArmedCount(), 0);
}

TEST(ConnectionIdleTimerTest, NoTimerServiceMeansNoTimers) {
    TIBDatabase base;
    try {
        base.SetIdleTimer(100);
        FAIL() << "a timer was armed without a timer service";
    } catch (const EOutOfResources& error) {
        EXPECT_EQ(ToUtf8(error.Message()), "Not enough timers available");
    }
}

} // namespace
} // namespace ortavo::test
