// Learning tables from the system tables, answering the three column questions, and the
// installation of the cache in the registry of schemas by database name.
#include "IBX/datasets/IBSchema.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/statements/IBSQL.h"

namespace ortavo {

const char16_t* const TSchema::ColumnStatement =
    u"Select F.RDB$COMPUTED_BLR, F.RDB$DEFAULT_VALUE, R.RDB$DEFAULT_VALUE, R.RDB$FIELD_NAME "
    u"from RDB$RELATION_FIELDS R, RDB$FIELDS F where R.RDB$RELATION_NAME = :RELATION and "
    u"R.RDB$FIELD_SOURCE = F.RDB$FIELD_NAME and ((not F.RDB$COMPUTED_BLR is NULL) or      "
    u"(not (F.RDB$DEFAULT_VALUE is NULL and R.RDB$DEFAULT_VALUE is NULL))) ";

const char16_t* const TSchema::KeyStatement =
    u"SELECT RDB$FIELD_NAME, RDB$FIELD_POSITION FROM RDB$RELATION_CONSTRAINTS RR JOIN "
    u"RDB$INDEX_SEGMENTS RI ON      RR.RDB$INDEX_NAME = RI.RDB$INDEX_NAME WHERE "
    u"RDB$RELATION_NAME = :relation_name AND       RDB$CONSTRAINT_TYPE = 'PRIMARY KEY ' "
    u"ORDER BY RDB$FIELD_POSITION ";

namespace {

// Points a statement at a connection and its internal transaction for one learning, and
// lets go of both whatever happens: the schema outlives the connections that use it.
class TStatementOnConnection {
public:
    TStatementOnConnection(TIBSQL& statement, TIBDatabase& database) : FStatement(statement) {
        FStatement.SetDatabase(&database);
        FStatement.SetTransaction(database.InternalTransaction());
    }
    ~TStatementOnConnection() {
        try {
            FStatement.Close();
            FStatement.FreeHandle();
        } catch (...) {
            // Closing a cursor or dropping a handle of a connection that failed: the
            // learning's own failure, if any, is the one that goes on.
        }
        FStatement.SetTransaction(nullptr);
        FStatement.SetDatabase(nullptr);
    }
    TStatementOnConnection(const TStatementOnConnection&) = delete;
    TStatementOnConnection& operator=(const TStatementOnConnection&) = delete;

private:
    TIBSQL& FStatement;
};

// Starts the internal transaction when it is not active and ends it at the end: committed
// after a learning, rolled back after a failure (it only read).
class TLearningTransaction {
public:
    explicit TLearningTransaction(TIBTransaction& transaction) : FTransaction(transaction) {
        if (!FTransaction.InTransaction()) {
            FTransaction.StartTransaction();
            FStarted = true;
        }
    }
    ~TLearningTransaction() {
        if (!FStarted || !FTransaction.InTransaction())
            return;
        try {
            FTransaction.Rollback();
        } catch (...) {
            // A transaction that only read and cannot be rolled back is dropped with its
            // connection; the learning's own failure is the one that goes on.
        }
    }
    void Commit() {
        if (FStarted)
            FTransaction.Commit();
        FStarted = false;
    }
    TLearningTransaction(const TLearningTransaction&) = delete;
    TLearningTransaction& operator=(const TLearningTransaction&) = delete;

private:
    TIBTransaction& FTransaction;
    bool FStarted = false;
};

} // namespace

TSchema::TSchema() : FQuery(std::make_unique<TIBSQL>()), FPQuery(std::make_unique<TIBSQL>()) {
    FQuery->SQL().Add(ColumnStatement);
    FPQuery->SQL().Add(KeyStatement);
    // Every row is read through Next, the first one included.
    FQuery->SetGoToFirstRecordOnExecute(false);
    FPQuery->SetGoToFirstRecordOnExecute(false);
}

TSchema::~TSchema() {
    FreeNodes();
}

void TSchema::FreeNodes() {
    std::lock_guard lock(FLock);
    FRelations.clear();
}

int TSchema::LearnCount() const {
    std::lock_guard lock(FLock);
    return FLearnCount;
}

bool TSchema::Has_DEFAULT_VALUE(TIBDatabase& database, const String& relation,
                                const String& field) {
    std::lock_guard lock(FLock);
    const TFieldNode* node = FindNode(database, relation, field);
    return node && node->DEFAULT_VALUE;
}

bool TSchema::Has_COMPUTED_BLR(TIBDatabase& database, const String& relation, const String& field) {
    std::lock_guard lock(FLock);
    const TFieldNode* node = FindNode(database, relation, field);
    return node && node->COMPUTED_BLR;
}

bool TSchema::In_Key(TIBDatabase& database, const String& relation, const String& field) {
    std::lock_guard lock(FLock);
    const TFieldNode* node = FindNode(database, relation, field);
    return node && node->In_Key;
}

const TFieldNode* TSchema::FindNode(TIBDatabase& database, const String& relation,
                                    const String& field) {
    auto known = FRelations.find(relation);
    if (known == FRelations.end()) {
        // The table counts as learnt from here on, also when learning fails halfway.
        known = FRelations.emplace(relation, TColumns()).first;
        Learn(database, relation, known->second);
    }
    auto node = known->second.find(field);
    return node == known->second.end() ? nullptr : &node->second;
}

void TSchema::Learn(TIBDatabase& database, const String& relation, TColumns& columns) {
    TIBTransaction* internal = database.InternalTransaction();
    TLearningTransaction transaction(*internal);
    ++FLearnCount;
    {
        TStatementOnConnection on(*FQuery, database);
        ReadColumns(relation, columns);
    }
    {
        TStatementOnConnection on(*FPQuery, database);
        ReadKey(relation, columns);
    }
    transaction.Commit();
}

void TSchema::ReadColumns(const String& relation, TColumns& columns) {
    FQuery->Params()->Vars(0)->SetAsString(relation);
    FQuery->ExecQuery();
    while (TIBXSQLDA* row = FQuery->Next()) {
        TFieldNode node;
        node.FieldName = Trim(row->Vars(3)->AsString());
        node.COMPUTED_BLR = !row->Vars(0)->IsNull();
        node.DEFAULT_VALUE = !row->Vars(1)->IsNull() || !row->Vars(2)->IsNull();
        String name = node.FieldName;
        columns.insert_or_assign(std::move(name), std::move(node));
    }
}

void TSchema::ReadKey(const String& relation, TColumns& columns) {
    FPQuery->Params()->Vars(0)->SetAsString(relation);
    FPQuery->ExecQuery();
    while (TIBXSQLDA* row = FPQuery->Next()) {
        String name = Trim(row->Vars(0)->AsString());
        TFieldNode& node = columns[name];
        node.FieldName = name;
        node.In_Key = true;
    }
}

void TSchema::Install() noexcept {
    SchemaRegistry::SetFactory(
        []() -> std::shared_ptr<TIBSchema> { return std::make_shared<TSchema>(); });
}

} // namespace ortavo
