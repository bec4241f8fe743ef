// What a connection asks about a table's columns, and the process-wide table of schema
// caches by database name. The cache itself reads the system tables through statements, so
// it lives with the datasets, which install it here; the connection never sees it.
#pragma once

#include "base/String.h"

#include <memory>

namespace ortavo {

class TIBDatabase;

class TIBSchema {
public:
    virtual ~TIBSchema() = default;
    virtual void FreeNodes() = 0;
    virtual bool Has_DEFAULT_VALUE(TIBDatabase& database, const String& relation,
                                   const String& field) = 0;
    virtual bool Has_COMPUTED_BLR(TIBDatabase& database, const String& relation,
                                  const String& field) = 0;
    virtual bool In_Key(TIBDatabase& database, const String& relation, const String& field) = 0;
};

// The process-wide table of schemas by database name (compared without regard to case).
class SchemaRegistry {
public:
    using TFactory = std::shared_ptr<TIBSchema> (*)();

    // The registered schema; a new empty one is registered when there is none. None while
    // no schema cache is installed (a program without datasets).
    static std::shared_ptr<TIBSchema> Lookup(const String& databaseName);
    // Installs what makes a new schema; runs before any connection is made.
    static void SetFactory(TFactory factory) noexcept;
};

} // namespace ortavo
