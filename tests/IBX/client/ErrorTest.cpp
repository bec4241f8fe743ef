// Error reporting against the real client library: messages composed from the status vectors
// of failed calls, the status vector search, the exception classes and the client error table.
#include "IBX/client/IB.h"
#include "IBX/client/IBConnectionLoss.h"
#include "IBX/client/IBIntf.h"
#include "fixtures/RawClient.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

namespace ortavo {
namespace {

using testing::Client;
using testing::TempFolder;

// Records what reaches the general error channel while installed.
class RecordingHook : public IIBSQLMonitorHook {
public:
    RecordingHook() { SetMonitorHook(this); }
    ~RecordingHook() override { SetMonitorHook(nullptr); }
    void SendError(const String& text) override { Errors.push_back(text); }
    std::vector<String> Errors;
};

std::vector<String> Lines(const String& message) {
    std::vector<String> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = message.find(u"\r\n", start)) != String::npos; start = at + 2)
        lines.push_back(message.substr(start, at - start));
    lines.push_back(message.substr(start));
    return lines;
}

void Fill(std::initializer_list<ISC_STATUS> elements) {
    StatusVector vector = ThreadStatusVector();
    std::fill(vector, vector + ISC_STATUS_LENGTH, 0);
    std::copy(elements.begin(), elements.end(), vector);
}

TEST(DatabaseError, MissingFileThroughTheEmbeddedEngine) {
    TempFolder folder;
    std::string name = folder.File("absent.fdb");
    std::string dpb = testing::LoginDPB("SYSDBA", "x");
    isc_db_handle db = 0;
    ISC_STATUS result = testing::Attach(name, &db, dpb);
    ASSERT_GT(result, 0);
    EXPECT_EQ(db, 0u);

    RecordingHook hook;
    try {
        RaiseDatabaseError(&Client());
        FAIL() << "RaiseDatabaseError returned";
    } catch (const EIBInterBaseError& e) {
        EXPECT_EQ(e.IBErrorCode(), isc_io_error);
        EXPECT_EQ(e.SQLCode(), -902);
        auto lines = Lines(e.Message());
        ASSERT_GE(lines.size(), 2u) << ToUtf8(e.Message());
        EXPECT_EQ(ToUtf8(lines[0]),
                  "I/O error during \"open\" operation for file \"" + name + "\"");
        // The engine words the system's error in the C library's locale of the process.
        EXPECT_EQ(ToUtf8(lines.back()), std::strerror(ENOENT));
        EXPECT_EQ(e.Message().find(u'\n'), e.Message().find(u"\r\n") + 1);
        ASSERT_EQ(hook.Errors.size(), 1u);
        EXPECT_EQ(hook.Errors[0], u"-902 335544344 " + e.Message());
    }
}

TEST(DatabaseError, WrongPasswordAgainstTheServer) {
    TempFolder folder;
    std::string path = folder.File("login.fdb");
    ASSERT_TRUE(testing::CreateDatabase(path));
    std::string name = "localhost:" + path;
    std::string dpb = testing::LoginDPB("VORAS", "wrong");
    isc_db_handle db = 0;
    ISC_STATUS result = testing::Attach(name, &db, dpb);
    ASSERT_GT(result, 0) << "the server accepted a wrong password";
    IBDataBaseError error = ComposeDatabaseErrorMessage(&Client());
    ASSERT_EQ(error.IBErrorCode, isc_login)
        << "the Firebird server on 127.0.0.1:3050 did not answer as expected (run "
           "scripts/firebird-server start): "
        << ToUtf8(error.Message);
    EXPECT_EQ(error.SQLCode, -902);
    // The server's sentence ends with a period; the composed message does not.
    EXPECT_EQ(error.Message, u"Your user name and password are not defined. Ask your database "
                             u"administrator to set up a Firebird login");
}

TEST(DatabaseError, NoPermissionRaisesTheRoleError) {
    TempFolder folder;
    std::string path = folder.File("grants.fdb");
    ASSERT_TRUE(testing::CreateDatabase(path, {"CREATE TABLE SECRET (ID INTEGER)"}));
    std::string dpb = testing::LoginDPB("VORAS", "##480317");
    isc_db_handle db = 0;
    ASSERT_EQ(testing::Attach(path, &db, dpb), 0) << ToUtf8(ComposeDatabaseErrorMessage().Message);
    isc_tr_handle tr = 0;
    static const char tpb[] = {isc_tpb_version3};
    ASSERT_EQ(Client().isc_start_transaction(ThreadStatusVector(), &tr, 1, &db, sizeof tpb, tpb),
              0);
    std::string sql = "INSERT INTO SECRET VALUES (1)";
    ISC_STATUS result = Client().isc_dsql_execute_immediate(ThreadStatusVector(), &db, &tr,
                                                            static_cast<unsigned short>(sql.size()),
                                                            sql.c_str(), 3, nullptr);
    ASSERT_GT(result, 0);
    try {
        RaiseDatabaseError(); // the "IBServer" binding when none is given
        ADD_FAILURE() << "RaiseDatabaseError returned";
    } catch (const EIBInterBaseRoleError& e) {
        EXPECT_EQ(e.SQLCode(), -551);
        EXPECT_EQ(e.IBErrorCode(), isc_no_priv);
        EXPECT_EQ(Lines(e.Message())[0], u"no permission for INSERT access to TABLE SECRET");
    } catch (const EIBError& e) {
        ADD_FAILURE() << e.ClassName() << ": " << e.what();
    }
    Client().isc_rollback_transaction(ThreadStatusVector(), &tr);
    Client().isc_detach_database(ThreadStatusVector(), &db);
}

TEST(DatabaseError, ComposedFromAWrittenVector) {
    // Two messages: the first ends with a period that stays, the last loses its own.
    static const char file[] = "/nowhere/x.fdb";
    static const char detail[] = "Something went wrong.";
    Fill({isc_arg_gds, isc_io_error, isc_arg_string, reinterpret_cast<ISC_STATUS>("open"),
          isc_arg_string, reinterpret_cast<ISC_STATUS>(file), isc_arg_interpreted,
          reinterpret_cast<ISC_STATUS>(detail), isc_arg_end});
    IBDataBaseError error = ComposeDatabaseErrorMessage(&Client());
    EXPECT_EQ(error.Message, u"I/O error during \"open\" operation for file \"/nowhere/x.fdb\"\r\n"
                             u"Something went wrong");

    // Names come back as the client was given them, in UTF-8; a text that is no UTF-8 is
    // read as Windows-1252.
    static const char accented[] = "/srv/Usu\xC3\xA1rios/importa\xC3\xA7\xC3\xA3o.fdb";
    static const char ansi[] = "Usu\xE1rio inv\xE1lido.";
    Fill({isc_arg_gds, isc_io_error, isc_arg_string, reinterpret_cast<ISC_STATUS>("open"),
          isc_arg_string, reinterpret_cast<ISC_STATUS>(accented), isc_arg_interpreted,
          reinterpret_cast<ISC_STATUS>(ansi), isc_arg_end});
    EXPECT_EQ(ComposeDatabaseErrorMessage(&Client()).Message,
              u"I/O error during \"open\" operation for file "
              u"\"/srv/Usu\u00e1rios/importa\u00e7\u00e3o.fdb\"\r\nUsu\u00e1rio inv\u00e1lido");

    // A failed call whose vector yields no text still carries its codes.
    Fill({isc_arg_end});
    try {
        RaiseDatabaseError(&Client());
        ADD_FAILURE() << "RaiseDatabaseError returned";
    } catch (const EIBInterBaseError& e) {
        EXPECT_EQ(e.Message(), u"");
        EXPECT_EQ(e.IBErrorCode(), 0);
    }
}

// The real client seen as one that lacks fb_interpret.
class LegacyInterpretClient : public TIBServerLibrary {
public:
    bool HasEntryPoint(const char* name) const override {
        return std::string(name) != "fb_interpret" && TIBServerLibrary::HasEntryPoint(name);
    }
};

TEST(DatabaseError, OlderClientsComposeThroughIscInterprete) {
    LegacyInterpretClient legacy;
    legacy.CheckIBLoaded();
    static const char file[] = "/nowhere/y.fdb";
    Fill({isc_arg_gds, isc_io_error, isc_arg_string, reinterpret_cast<ISC_STATUS>("open"),
          isc_arg_string, reinterpret_cast<ISC_STATUS>(file), isc_arg_gds, isc_io_open_err,
          isc_arg_end});
    IBDataBaseError error = ComposeDatabaseErrorMessage(&legacy);
    EXPECT_EQ(error.IBErrorCode, isc_io_error);
    EXPECT_EQ(error.Message, u"I/O error during \"open\" operation for file \"/nowhere/y.fdb\"\r\n"
                             u"Error while trying to open file");
}

TEST(StatusVector, FindsCodesAfterGdsAndNumberTagsOnly) {
    const ISC_STATUS lost = isc_lost_db_connection_code;
    Fill({isc_arg_gds, isc_net_read_err_code, isc_arg_end});
    EXPECT_TRUE(StatusVectorHas({lost, isc_net_read_err_code}));
    EXPECT_FALSE(StatusVectorHas({lost}));

    Fill({isc_arg_gds, isc_network_error, isc_arg_string, 0, isc_arg_number, lost, isc_arg_end});
    EXPECT_TRUE(StatusVectorHas({lost}));

    // The length and address of a counted string are never taken for codes.
    Fill({isc_arg_gds, isc_network_error, isc_arg_cstring, lost, lost, isc_arg_end});
    EXPECT_FALSE(StatusVectorHas({lost}));
    Fill({isc_arg_gds, isc_network_error, isc_arg_string, lost, isc_arg_gds, lost, isc_arg_end});
    EXPECT_TRUE(StatusVectorHas({lost}));

    // A vector without its closing 0 is searched up to its end and no further.
    StatusVector vector = ThreadStatusVector();
    for (int i = 0; i < ISC_STATUS_LENGTH; i += 2) {
        vector[i] = isc_arg_string;
        vector[i + 1] = 7;
    }
    EXPECT_FALSE(StatusVectorHas({lost}));
}

TEST(StatusVector, EachThreadHasItsOwn) {
    Fill({isc_arg_gds, isc_lost_db_connection_code, isc_arg_end});
    StatusVector mine = ThreadStatusVector();
    StatusVector theirs = nullptr;
    bool theirsHas = true;
    std::thread([&] {
        theirs = ThreadStatusVector();
        theirsHas = StatusVectorHas({isc_lost_db_connection_code});
    }).join();
    EXPECT_NE(mine, theirs);
    EXPECT_FALSE(theirsHas);
    EXPECT_TRUE(StatusVectorHas({isc_lost_db_connection_code}));
}

TEST(ClientError, FormatsTheTableTextWithItsCode) {
    RecordingHook hook;
    try {
        RaiseClientError(ibxeDPBConstantUnknownEx, {u"user_name"});
        ADD_FAILURE() << "RaiseClientError returned";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.Message(), u"DPB Constant (user_name) is unknown");
        EXPECT_EQ(e.SQLCode(), 114);
        EXPECT_EQ(e.IBErrorCode(), 0);
        EXPECT_STREQ(e.ClassName(), "EIBClientError");
    }
    try {
        RaiseClientError(ibxeSQLParseError, {u"near FROM"});
        ADD_FAILURE() << "RaiseClientError returned";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.Message(), u"SQL Parse Error:\r\n\r\nnear FROM");
    }
    // A text without placeholders ignores arguments; one with too few still raises itself.
    try {
        RaiseClientError(ibxeDatabaseClosed, {u"ignored"});
        ADD_FAILURE() << "RaiseClientError returned";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.Message(), u"Cannot perform operation -- DB is not open");
    }
    try {
        RaiseClientError(ibxeUnknownSQLDataType);
        ADD_FAILURE() << "RaiseClientError returned";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.SQLCode(), 35);
    }
    try {
        RaiseClientError(ibxeCannotCreateSharedResource, {5});
        ADD_FAILURE() << "RaiseClientError returned";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.Message(), u"Cannot create shared resource. (Windows error 5)");
    }
    // Every text but that of 58 goes to the monitor.
    ASSERT_EQ(hook.Errors.size(), 4u);
    EXPECT_EQ(hook.Errors[0], u"DPB Constant (user_name) is unknown");
}

TEST(ClientError, TableHoldsEveryCode) {
    EXPECT_EQ(IBClientErrorCount, 125);
    EXPECT_EQ(String(ClientErrorText(ibxeInvalidODSVersion)),
              u"Invalid ODS Major Restore version. Valid options are 0 (no change) and >= ODS 13");
    EXPECT_EQ(String(ClientErrorText(ibxeWindowsAPIError)),
              u"Windows API error. (Windows error %d [$%.8x])");
    EXPECT_EQ(String(ClientErrorText(ibxeFieldNotFound)), u"Field \"%s\" not found");
    EXPECT_EQ(String(ClientErrorText(ibxeInvalidLibraryType)),
              u"Invalid library type assigned.  Valid strings are %s");
    EXPECT_EQ(String(ClientErrorText(125)), u"Unknown error");
    for (int code = 0; code < IBClientErrorCount; ++code)
        EXPECT_FALSE(String(ClientErrorText(code)).empty()) << code;
}

TEST(ExceptionFamily, DerivesFromTheDatabaseError) {
    EIBError plain(-1, u"m");
    EXPECT_EQ(plain.SQLCode(), -1);
    EXPECT_EQ(plain.IBErrorCode(), 0);
    EIBPlanError plan(0, 7, u"p");
    EXPECT_EQ(plan.IBErrorCode(), 7);
    const EDatabaseError& base = plan;
    EXPECT_STREQ(base.ClassName(), "EIBPlanError");
    EXPECT_NE(dynamic_cast<const EIBError*>(&base), nullptr);
}

} // namespace
} // namespace ortavo
