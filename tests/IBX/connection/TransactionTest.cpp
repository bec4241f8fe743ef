// Transactions against the embedded engine and the server: parameter blocks, start and the
// full and retaining ends, links, auto-stop, refused operations, destruction order, idle timer.
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransactionParams.h"

#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ortavo::test {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

std::string TPBOf(StringView lines) {
    TStringList params;
    params.SetText(lines);
    return BuildTPB(params);
}

TEST(TransactionParamsTest, BlocksByteForByte) {
    EXPECT_EQ(TPBOf(u""), "");
    TStringList blank;
    blank.Add(u"  ");
    EXPECT_EQ(BuildTPB(blank), Bytes({3}));
    EXPECT_EQ(TPBOf(u"read_committed\nrec_version"), Bytes({3, 15, 17}));
    EXPECT_EQ(TPBOf(u"lock_write=T1"), Bytes({3, 11, 2, 'T', '1'}));
    EXPECT_EQ(TPBOf(u"LOCK_READ=Ação"), Bytes({3, 10, 6, 'A', 0xC3, 0xA7, 0xC3, 0xA3, 'o'}));
    EXPECT_EQ(TPBOf(u"isc_tpb_Concurrency\n\nwait\nno_auto_undo"), Bytes({3, 2, 6, 20}));
    EXPECT_EQ(TPBOf(u"wait\nlock_timeout=300"), Bytes({3, 6, 21, 4, 44, 1, 0, 0}));
    EXPECT_EQ(TPBOf(u"Lock_Timeout= 32767 "), Bytes({3, 21, 4, 0xFF, 0x7F, 0, 0}));
}

TEST(TransactionParamsTest, UnknownUnsupportedAndOverlongNamesAreRefused) {
    ExpectClientError([] { TPBOf(u"write\nBogus=1"); }, 115, u"TPB Constant (Bogus) is unknown");
    ExpectClientError([] { TPBOf(u"autocommit"); }, 13,
                      u"TPB Constant (isc_tpb_autocommit) is unsupported");
    ExpectClientError([] { TPBOf(u"isc_tpb_verb_time=5"); }, 13,
                      u"TPB Constant (isc_tpb_isc_tpb_verb_time) is unsupported");
    // Firebird has no no_savepoint; its code alone would read as a timeout without a value.
    ExpectClientError([] { TPBOf(u"wait\nno_savepoint"); }, 13,
                      u"TPB Constant (isc_tpb_no_savepoint) is unsupported");
    for (const char16_t* seconds : {u"0", u"-1", u"32768", u"4294967297", u"", u"5s"}) {
        const String text =
            String(u"TPB Constant (isc_tpb_lock_timeout=") + seconds + u") is unsupported";
        ExpectClientError([&] { TPBOf(String(u"lock_timeout=") + seconds); }, 13, text.c_str());
    }
    ExpectClientError([] { TPBOf(u"lock_read=" + String(256, u'T')); }, 119,
                      u"Trying to store a string of length 256 into a field that can only "
                      u"contain 255");
    TStringList many;
    for (int i = 0; i < 40000; ++i)
        many.Add(u"wait");
    ExpectClientError([&] { BuildTPB(many); }, 119,
                      u"Trying to store a string of length 40001 into a field that can only "
                      u"contain 32767");
}

// A connection and a transaction on a fresh database with one table T1 of integers.
class TransactionLifeTest : public ::testing::TestWithParam<TAccess> {
protected:
    void SetUp() override {
        db = std::make_unique<TTestDatabase>(GetParam());
        db->Execute("CREATE TABLE T1 (ID INTEGER)");
        db->Configure(base);
        base.SetDefaultTransaction(&tr);
        base.Open();
    }

    std::optional<std::int32_t> RowCount() const { return db->QueryInt("SELECT COUNT(*) FROM T1"); }

    std::unique_ptr<TTestDatabase> db;
    TIBDatabase base;
    TIBTransaction tr;
};

INSTANTIATE_TEST_SUITE_P(Access, TransactionLifeTest,
                         ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

TEST_P(TransactionLifeTest, StartsWithItsBlockAndEnds) {
    tr.StartTransaction();
    EXPECT_TRUE(tr.InTransaction());
    EXPECT_TRUE(tr.Active());
    EXPECT_EQ(tr.TPBLength(), 0);
    const std::int64_t id = tr.TransactionID();
    EXPECT_GT(id, 0);
    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (1)");
    tr.Commit();
    EXPECT_FALSE(tr.InTransaction());
    EXPECT_EQ(tr.TransactionID(), 0);
    EXPECT_EQ(RowCount(), 1);

    tr.SetTransactionLevel(TIBTransactionLevel::ibtrReadCommitted);
    tr.SetActive(true);
    EXPECT_EQ(tr.TPB(), Bytes({3, 15, 17, 7}));
    EXPECT_GT(tr.TransactionID(), id);
    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (2)");
    tr.SetActive(false); // rolls back
    EXPECT_EQ(RowCount(), 1);

    tr.Params().SetText(u"write\nlock_write=T1");
    tr.StartTransaction();
    EXPECT_EQ(tr.TPB(), Bytes({3, 9, 11, 2, 'T', '1'}));
    tr.Rollback();

    tr.Params().SetText(u"lock_write=NO_SUCH_TABLE");
    EXPECT_THROW(tr.StartTransaction(), EIBInterBaseError);
    EXPECT_FALSE(tr.InTransaction());
}

TEST_P(TransactionLifeTest, RetainingEndsKeepHandleAndCursors) {
    db->Execute("INSERT INTO T1 VALUES (1)");
    db->Execute("INSERT INTO T1 VALUES (2)");
    db->Execute("INSERT INTO T1 VALUES (3)");
    tr.StartTransaction();
    const isc_tr_handle handle = tr.Handle();
    TRawCursor cursor(base, tr, "SELECT ID FROM T1 ORDER BY ID");
    EXPECT_EQ(cursor.Fetch(), 1);

    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (4)");
    tr.CommitRetaining();
    EXPECT_TRUE(tr.InTransaction());
    EXPECT_EQ(tr.Handle(), handle);
    EXPECT_EQ(cursor.Fetch(), 2);
    EXPECT_EQ(RowCount(), 4);

    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (5)");
    tr.RollbackRetaining();
    EXPECT_EQ(tr.Handle(), handle);
    EXPECT_EQ(cursor.Fetch(), 3);
    EXPECT_EQ(RowCount(), 4);

    tr.Commit();
    EXPECT_THROW(cursor.Fetch(), EIBInterBaseError);
}

TEST_P(TransactionLifeTest, LinksAreToldAroundFullEndsOnly) {
    std::string told;
    TIBBase link(nullptr);
    link.SetTransaction(&tr);
    EXPECT_EQ(link.Database(), &base); // taken from the transaction's default database
    link.BeforeTransactionEnd = [&](TIBBase& l) {
        told += l.Transaction()->InTransaction() ? "before(active) " : "before(ended) ";
    };
    link.AfterTransactionEnd = [&](TIBBase& l) {
        told += l.Transaction()->InTransaction() ? "after(active) " : "after(ended) ";
    };
    tr.StartTransaction();
    EXPECT_EQ(*link.TRHandle(), tr.Handle());
    tr.CommitRetaining();
    EXPECT_EQ(told, "");
    tr.Commit();
    EXPECT_EQ(told, "before(active) after(ended) ");
    ExpectClientError([&] { link.TRHandle(); }, 18, u"Transaction is not active");

    // A link that refuses the end keeps the transaction active, unless the end is forced.
    link.BeforeTransactionEnd = [](TIBBase&) { throw Exception(u"refused"); };
    tr.StartTransaction();
    EXPECT_THROW(tr.Commit(), Exception);
    EXPECT_TRUE(tr.InTransaction());
    EXPECT_THROW(tr.FinishWithDefaultAction(), Exception);
    EXPECT_FALSE(tr.InTransaction());
}

TEST_P(TransactionLifeTest, ClosingTheConnectionFullyCommitsARetainingTransaction) {
    tr.SetDefaultAction(TIBTransactionAction::TACommitRetaining);
    std::string told;
    TIBBase link(nullptr);
    link.SetDatabase(&base);
    link.BeforeDatabaseDisconnect = [&](TIBBase& l) {
        told += l.Transaction()->InTransaction() ? "disconnect(active) " : "disconnect(ended) ";
    };
    link.BeforeTransactionEnd = [&](TIBBase&) { told += "end "; };
    tr.StartTransaction();
    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (7)");
    tr.CommitRetaining();
    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (8)");

    base.Close();
    EXPECT_FALSE(tr.InTransaction());
    EXPECT_EQ(told, "disconnect(active) end ");
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(db->QueryInt("SELECT SUM(ID) FROM T1"), 15);
}

TEST_P(TransactionLifeTest, StartSpansEveryListedDatabase) {
    TTestDatabase other(GetParam());
    other.Execute("CREATE TABLE T2 (ID INTEGER)");
    TIBDatabase second;
    other.Configure(second);
    second.Open();
    tr.AddDatabase(&second);
    tr.StartTransaction();
    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (1)");
    ExecuteIn(second, tr, "INSERT INTO T2 VALUES (2)");
    tr.Commit();
    EXPECT_EQ(RowCount(), 1);
    EXPECT_EQ(other.QueryInt("SELECT SUM(ID) FROM T2"), 2);

    // Losing one of two databases keeps the transaction; losing the last ends it.
    tr.StartTransaction();
    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (3)");
    tr.RemoveDatabase(&second);
    EXPECT_TRUE(tr.InTransaction());
    tr.RemoveDatabase(&base);
    EXPECT_FALSE(tr.InTransaction());
    EXPECT_EQ(RowCount(), 2); // TACommit: the forced end committed
    EXPECT_EQ(base.DefaultTransaction(), nullptr);
    EXPECT_EQ(tr.DatabaseCount(), 0);
}

TEST(TransactionStateTest, RefusedOperationsRaiseTheirClientErrors) {
    TTestDatabase db(TAccess::Embedded);
    TIBDatabase base;
    db.Configure(base);
    TIBTransaction tr;

    ExpectClientError([&] { tr.CommitRetaining(); }, 18, u"Transaction is not active");
    ExpectClientError([&] { tr.Rollback(); }, 18, u"Transaction is not active");
    ExpectClientError([&] { tr.StartTransaction(); }, 21,
                      u"No databases are listed in transaction component");
    base.SetDefaultTransaction(&tr);
    ExpectClientError([&] { tr.StartTransaction(); }, 15,
                      u"Cannot perform operation -- DB is not open");
    ExpectClientError([&] { tr.SetIdleTimer(-5); }, 20, u"Timeout values cannot be negative");

    base.Open();
    tr.Params().Add(u"read_committed");
    tr.StartTransaction();
    ExpectClientError([&] { tr.StartTransaction(); }, 19, u"Transaction is active");
    ExpectClientError([&] { tr.Params().Add(u"nowait"); }, 19, u"Transaction is active");
    ExpectClientError([&] { tr.Params().Clear(); }, 19, u"Transaction is active");
    ExpectClientError([&] { tr.SetTransactionLevel(TIBTransactionLevel::ibtrSnapshot); }, 19,
                      u"Transaction is active");
    EXPECT_EQ(tr.Params().Text(), u"read_committed\r\n");
    tr.Commit();

    // A refused parameter is refused again: the block is not taken as built.
    tr.Params().Add(u"bogus");
    for (int attempt = 0; attempt < 2; ++attempt)
        ExpectClientError([&] { tr.StartTransaction(); }, 115, u"TPB Constant (bogus) is unknown");
    EXPECT_FALSE(tr.InTransaction());

    tr.SetDefaultAction(TIBTransactionAction::TARollbackRetaining); // client 6.3 allows it
    EXPECT_EQ(tr.DefaultAction(), TIBTransactionAction::TARollbackRetaining);
}

TEST(TransactionStateTest, OwnerConnectionBecomesTheDefaultDatabase) {
    TIBDatabase base;
    auto* tr = new TIBTransaction(&base);
    EXPECT_EQ(tr->DefaultDatabase(), &base);
    EXPECT_EQ(tr->FindDatabase(&base), 0);
    EXPECT_GE(base.FindTransaction(tr), 0);
    EXPECT_EQ(base.FindDefaultTransaction(), tr); // the internal transaction is skipped
    EXPECT_EQ(base.InternalTransaction()->DefaultDatabase(), &base);
    delete tr;
    EXPECT_EQ(base.FindTransaction(tr), -1);
    EXPECT_EQ(base.FindDefaultTransaction(), nullptr);
}

// A dataset as the later dataset classes will be to a transaction: open while it reads,
// closed before the transaction ends, and asking for an auto-stop when it closes.
class TFakeDataSet : public TComponent, public IConnectionDataSet {
public:
    TFakeDataSet(TIBDatabase& database, TIBTransaction& transaction) : FBase(this) {
        FBase.SetDatabase(&database);
        FBase.SetTransaction(&transaction);
        FBase.BeforeTransactionEnd = [this](TIBBase&) { FActive = false; };
    }
    void Open() {
        if (!FBase.Transaction()->InTransaction())
            FBase.Transaction()->AutoStartTransaction();
        FActive = true;
    }
    void Close() {
        FActive = false;
        FBase.Transaction()->CheckAutoStop();
    }
    void ConnectChangeEvent(bool) override {}
    bool DataSetActive() const override { return FActive; }

private:
    TIBBase FBase;
    bool FActive = false;
};

TEST(TransactionAutoStopTest, CommitsWhenTheLastOpenDataSetCloses) {
    TTestDatabase db(TAccess::Embedded);
    db.Execute("CREATE TABLE T1 (ID INTEGER)");
    TIBDatabase base;
    db.Configure(base);
    TIBTransaction tr;
    base.SetDefaultTransaction(&tr);
    base.Open();
    tr.SetAutoStopAction(TAutoStopAction::saCommit);
    TFakeDataSet first(base, tr), second(base, tr);
    EXPECT_EQ(base.DataSetCount(), 2);

    first.Open();
    second.Open();
    ASSERT_TRUE(tr.InTransaction());
    ExecuteIn(base, tr, "INSERT INTO T1 VALUES (1)");
    first.Close();
    EXPECT_TRUE(tr.InTransaction());
    second.Close();
    EXPECT_FALSE(tr.InTransaction());
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM T1"), 1);

    tr.StartTransaction(); // not auto-started: never auto-stops
    first.Open();
    first.Close();
    EXPECT_TRUE(tr.InTransaction());
    tr.Commit();

    tr.SetAllowAutoStart(false);
    first.Open();
    EXPECT_FALSE(tr.InTransaction());
}

class TransactionDestructionTest : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(Order, TransactionDestructionTest, ::testing::Bool(),
                         [](const auto& info) {
                             return info.param ? "TransactionFirst" : "ConnectionFirst";
                         });

TEST_P(TransactionDestructionTest, WorkIsCommittedWhicheverGoesFirst) {
    TTestDatabase db(TAccess::Server);
    db.Execute("CREATE TABLE T1 (ID INTEGER)");
    auto base = std::make_unique<TIBDatabase>();
    auto tr = std::make_unique<TIBTransaction>();
    db.Configure(*base);
    base->SetDefaultTransaction(tr.get());
    tr->SetDefaultAction(TIBTransactionAction::TACommitRetaining);
    base->Open();
    tr->StartTransaction();
    ExecuteIn(*base, *tr, "INSERT INTO T1 VALUES (1)");
    tr->CommitRetaining();
    ExecuteIn(*base, *tr, "INSERT INTO T1 VALUES (2)");

    if (GetParam()) {
        tr.reset();
        EXPECT_EQ(base->DefaultTransaction(), nullptr);
        EXPECT_EQ(base->TransactionCount(), 1);
        EXPECT_TRUE(base->Connected());
        base.reset();
    } else {
        base.reset();
        EXPECT_FALSE(tr->InTransaction());
        EXPECT_EQ(tr->DatabaseCount(), 0);
        tr.reset();
    }
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM T1"), 2);
}

TEST(TransactionDestructionOwnerTest, WindowLikeOwnerCommitsWhenItFreesItsComponents) {
    TTestDatabase db(TAccess::Server);
    db.Execute("CREATE TABLE T1 (ID INTEGER)");
    auto window = std::make_unique<TComponent>();
    auto* base = new TIBDatabase(window.get());
    auto* tr = new TIBTransaction(window.get());
    db.Configure(*base);
    tr->SetDefaultAction(TIBTransactionAction::TACommitRetaining);
    base->SetDefaultTransaction(tr);
    EXPECT_EQ(tr->DefaultDatabase(), nullptr);
    EXPECT_EQ(tr->DatabaseCount(), 1);
    base->Open();
    tr->StartTransaction();
    ExecuteIn(*base, *tr, "INSERT INTO T1 VALUES (1)");
    window.reset(); // frees tr, then base
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM T1"), 1);
}

TEST(TransactionDestructionLinkTest, FailingFreeHandlerStillLetsEveryLinkAndDatabaseGo) {
    TIBDatabase base;
    TIBBase first(nullptr), second(nullptr), third(nullptr);
    std::string freed;
    {
        TIBTransaction tr;
        base.SetDefaultTransaction(&tr);
        first.SetTransaction(&tr);
        second.SetTransaction(&tr);
        third.SetTransaction(&tr);
        first.OnTransactionFree = [&](TIBBase&) { freed += "first "; };
        second.OnTransactionFree = [&](TIBBase&) { freed += "second "; };
        third.OnTransactionFree = [&](TIBBase&) {
            freed += "third ";
            throw Exception(u"refused");
        };
    }
    EXPECT_EQ(freed, "third second first ");
    for (TIBBase* link : {&first, &second, &third}) {
        EXPECT_EQ(link->Transaction(), nullptr);
        EXPECT_EQ(link->Database(), &base); // taken from the transaction, and kept
    }
    EXPECT_EQ(base.DefaultTransaction(), nullptr);
    EXPECT_EQ(base.TransactionCount(), 1); // the internal transaction
}

TEST(TransactionIdleTimerTest, EndsWithTheDefaultActionAfterTwoIdleTicks) {
    TTestDatabase db(TAccess::Embedded);
    TManualTimers timers;
    TIBDatabase base;
    db.Configure(base);
    TIBTransaction tr;
    base.SetDefaultTransaction(&tr);
    base.Open();
    int idle = 0;
    tr.OnIdleTimer = [&](TIBTransaction&) { ++idle; };
    tr.SetIdleTimer(1000);
    EXPECT_EQ(tr.IdleTimer(), 1000);

    tr.SetDefaultAction(TIBTransactionAction::TACommitRetaining);
    tr.StartTransaction();
    timers.Tick();
    timers.Tick();
    EXPECT_TRUE(tr.InTransaction()); // a retaining default action keeps it
    EXPECT_EQ(idle, 1);

    tr.SetDefaultAction(TIBTransactionAction::TACommit);
    tr.CommitRetaining(); // a checked call resets the count
    timers.Tick();
    EXPECT_TRUE(tr.InTransaction());
    timers.Tick();
    EXPECT_FALSE(tr.InTransaction());
    EXPECT_EQ(idle, 2);
    EXPECT_TRUE(base.Connected());
    tr.SetIdleTimer(0);
    EXPECT_EQ(timers.ArmedCount(), 0);
}

} // namespace
} // namespace ortavo::test
