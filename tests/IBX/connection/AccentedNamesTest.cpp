// Databases in accented folders and users with accented names and passwords connect through
// the embedded engine and the server, in the C locale as in a Brazilian UTF-8 one.
#include "IBX/client/IBNameCodeset.h"
#include "IBX/connection/IBDatabase.h"

#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace ortavo::test {
namespace {

// "João", "ação1" and "Usuários/importação.fdb" as the operator types them.
const String AccentedUser = u"JO\u00c3O_" + IntToStr(getpid());
const String AccentedPassword = u"a\u00e7\u00e3o1";

using TLocaleCase = std::tuple<TAccess, const char*>;

class AccentedNamesTest : public ::testing::TestWithParam<TLocaleCase> {
protected:
    void SetUp() override {
        const char* locale = std::get<1>(GetParam());
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr)
            << "the locale " << locale << " is missing (scripts/setup makes it)";
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ortavo-db-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = std::filesystem::path(pattern);
        const auto users = folder / "Usu\xC3\xA1rios";
        std::filesystem::create_directory(users);
        // The server opens the file itself, whichever user it runs as.
        std::filesystem::permissions(folder, std::filesystem::perms::all);
        std::filesystem::permissions(users, std::filesystem::perms::all);
        path = (users / "importa\xC3\xA7\xC3\xA3o.fdb").string();
        CreateWithIsql();
    }

    void TearDown() override {
        try {
            if (created) {
                if (userCreated)
                    AsSysdba("DROP USER \"" + ToUtf8(AccentedUser) + "\"");
                isc_db_handle handle = 0;
                if (testing::Attach(ToUtf8(Name()), &handle,
                                    testing::LoginDPB("SYSDBA", testing::SysdbaPassword())) == 0)
                    testing::Client().isc_drop_database(ThreadStatusVector(), &handle);
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << "cleaning up: " << e.what();
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::setlocale(LC_ALL, "C");
    }

    // The database is made by Firebird's own isql in another process, so that the
    // components' connection is the first thing in this process to hand Firebird a name.
    void CreateWithIsql() {
        const auto script = folder / "create.sql";
        const auto log = folder / "create.log";
        std::ofstream(script) << "SET NAMES UTF8;\nCREATE DATABASE '" << ToUtf8(Name())
                              << "' USER 'SYSDBA' PASSWORD '" << testing::SysdbaPassword()
                              << "' DEFAULT CHARACTER SET UTF8;\n";
        const std::string command = "LC_ALL=C.UTF-8 isql-fb -q -b -i '" + script.string() + "' >'" +
                                    log.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        std::ostringstream output;
        output << std::ifstream(log).rdbuf();
        ASSERT_EQ(status, 0) << "isql-fb could not create " << path << ": " << output.str();
        created = true;
    }

    String Name() const {
        return FromUtf8(std::get<0>(GetParam()) == TAccess::Server ? "localhost:" + path : path);
    }

    // Runs one statement through the components as SYSDBA on a UTF8 connection, committed.
    void AsSysdba(const std::string& sql) const {
        TIBDatabase sysdba;
        sysdba.SetDatabaseName(Name());
        sysdba.Params().Add(u"user_name=SYSDBA");
        sysdba.Params().Add(u"password=" + FromUtf8(testing::SysdbaPassword()));
        sysdba.Params().Add(u"lc_ctype=UTF8");
        sysdba.SetLoginPrompt(false);
        sysdba.Open();
        TIBTransaction tr;
        tr.SetDefaultDatabase(&sysdba);
        tr.StartTransaction();
        ExecuteIn(sysdba, tr, sql);
        tr.Commit();
    }

    // Whether the connection's CURRENT_USER is the accented user.
    static bool ConnectedAsAccentedUser(TIBDatabase& database) {
        TIBTransaction tr;
        tr.SetDefaultDatabase(&database);
        tr.StartTransaction();
        TRawCursor cursor(database, tr,
                          "SELECT COUNT(*) FROM RDB$DATABASE WHERE CURRENT_USER = '" +
                              ToUtf8(AccentedUser) + "'");
        return cursor.Fetch() == 1;
    }

    std::filesystem::path folder;
    std::string path;
    bool created = false;
    bool userCreated = false;
};

INSTANTIATE_TEST_SUITE_P(AccessAndLocale, AccentedNamesTest,
                         ::testing::Combine(::testing::Values(TAccess::Embedded, TAccess::Server),
                                            ::testing::Values("C", "pt_BR.UTF-8")),
                         [](const auto& info) {
                             return AccessName(std::get<0>(info.param)) +
                                    (std::string(std::get<1>(info.param)) == "C" ? "CLocale"
                                                                                 : "BrazilianUtf8");
                         });

TEST_P(AccentedNamesTest, PathUserAndPasswordConnect) {
    if (std::get<0>(GetParam()) == TAccess::Server) {
        // Through the server a login is checked: the user is made first, as SYSDBA.
        AsSysdba("CREATE USER \"" + ToUtf8(AccentedUser) + "\" PASSWORD '" +
                 ToUtf8(AccentedPassword) + "'");
        userCreated = true;
    }

    TIBDatabase base;
    base.SetDatabaseName(Name());
    base.Params().Add(u"user_name=" + AccentedUser);
    base.Params().Add(u"password=" + AccentedPassword);
    base.Params().Add(u"lc_ctype=UTF8");
    base.SetLoginPrompt(false);
    ASSERT_NO_THROW(base.Open());
    EXPECT_TRUE(base.Connected());
    EXPECT_TRUE(ConnectedAsAccentedUser(base));
    base.Close();

    if (std::get<0>(GetParam()) == TAccess::Server) {
        base.Params().Put(1, u"password=acao1");
        try {
            base.Open();
            ADD_FAILURE() << "the server took the password without its accents";
        } catch (const EIBInterBaseError& e) {
            EXPECT_EQ(e.IBErrorCode(), isc_login);
        }
    }
}

TEST_P(AccentedNamesTest, AMissingFileIsNamedAsTyped) {
    TIBDatabase base;
    base.SetDatabaseName(Name() + u".aus\u00eancia");
    base.Params().Add(u"user_name=SYSDBA");
    base.Params().Add(u"password=" + FromUtf8(testing::SysdbaPassword()));
    base.SetLoginPrompt(false);
    try {
        base.Open();
        ADD_FAILURE() << "attached to a missing file";
    } catch (const EIBInterBaseError& e) {
        const String message = e.Message();
        EXPECT_EQ(message.substr(0, message.find(u"\r\n")),
                  u"I/O error during \"open\" operation for file \"" + FromUtf8(path) +
                      u".aus\u00eancia\"");
    }
}

} // namespace
} // namespace ortavo::test
