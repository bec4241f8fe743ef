// The schema cache: which columns of a table are computed, have a default value or belong
// to the primary key, learnt once per table from the system tables and shared by every
// connection to the same database name.
#pragma once

#include "IBX/connection/IBSchemaRegistry.h"
#include "base/String.h"

#include <map>
#include <memory>
#include <mutex>

namespace ortavo {

class TIBDatabase;
class TIBSQL;

struct TFieldNode {
    String FieldName;
    bool COMPUTED_BLR = false;
    bool DEFAULT_VALUE = false;
    bool In_Key = false;
};

// Ownership: the schema owns its learnt tables and its two statements. The statements
// refer to a connection only while a table is being learnt, so a schema may outlive every
// connection that used it.
class TSchema : public TIBSchema {
public:
    // The column statement and the primary-key statement, as sent.
    static const char16_t* const ColumnStatement;
    static const char16_t* const KeyStatement;

    TSchema();
    ~TSchema() override;

    void FreeNodes() override;
    bool Has_DEFAULT_VALUE(TIBDatabase& database, const String& relation,
                           const String& field) override;
    bool Has_COMPUTED_BLR(TIBDatabase& database, const String& relation,
                          const String& field) override;
    bool In_Key(TIBDatabase& database, const String& relation, const String& field) override;

    // How many tables were learnt from the system tables since the schema was created.
    int LearnCount() const;

    // Makes this the schema cache every connection takes from the registry.
    static void Install() noexcept;

private:
    using TColumns = std::map<String, TFieldNode>;

    // The node of a column, learning its table first when needed; none without a node.
    // Runs under the lock.
    const TFieldNode* FindNode(TIBDatabase& database, const String& relation, const String& field);
    void Learn(TIBDatabase& database, const String& relation, TColumns& columns);
    void ReadColumns(const String& relation, TColumns& columns);
    void ReadKey(const String& relation, TColumns& columns);

    mutable std::mutex FLock;
    std::map<String, TColumns> FRelations;
    std::unique_ptr<TIBSQL> FQuery;
    std::unique_ptr<TIBSQL> FPQuery;
    int FLearnCount = 0;
};

} // namespace ortavo
