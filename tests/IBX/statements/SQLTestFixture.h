// A connection, a transaction and a statement on a fresh database, for the statement and
// value tests; parameterised by access, dialect and connection character set.
#pragma once

#include "IBX/connection/IBTransaction.h"
#include "IBX/statements/IBSQL.h"

#include "IBX/connection/TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <tuple>

namespace ortavo::test {

struct TSQLSetup {
    TAccess Access;
    int Dialect;
    const char16_t* CharacterSet; // empty for none
};

std::string SQLSetupName(const TSQLSetup& setup);
// Test listings name the setup rather than its bytes.
inline void PrintTo(const TSQLSetup& setup, std::ostream* out) {
    *out << SQLSetupName(setup);
}

class SQLFixture : public ::testing::TestWithParam<TSQLSetup> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs a statement on a connection of its own and restarts the fixture's transaction,
    // so that it sees the change.
    void Schema(const std::string& statement);
    // Prepares a text on the fixture's statement without running it.
    TIBSQL& Prepare(const String& text);
    // Prepares and runs a text on the fixture's statement (a fresh text each time).
    TIBSQL& Run(const String& text);
    // The first column of a one-row select run on the fixture's statement.
    TIBXSQLVAR& Value(const String& select);

    int Dialect() const { return GetParam().Dialect; }

    std::unique_ptr<TTestDatabase> db;
    TIBDatabase base;
    TIBTransaction tr;
    std::unique_ptr<TIBSQL> sql;
};

} // namespace ortavo::test
