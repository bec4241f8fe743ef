// The database parameter block built from parameter lines, byte for byte, its failures, the
// character-set choice, and a block the real engine accepts.
#include "IBX/client/IB.h"
#include "IBX/client/fixtures/RawClient.h"
#include "IBX/connection/IBDatabaseParams.h"
#include "base/StringList.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace ortavo {
namespace {

std::vector<int> Bytes(std::initializer_list<String> lines) {
    TStringList params;
    for (const String& line : lines)
        params.Add(line);
    TDatabaseParamBlock block = BuildDPB(params);
    EXPECT_EQ(block.Length(), static_cast<short>(block.DPB.size()));
    std::vector<int> bytes;
    for (char c : block.DPB)
        bytes.push_back(static_cast<unsigned char>(c));
    return bytes;
}

template <typename Error> String FailureOf(std::initializer_list<String> lines, int sqlCode = -1) {
    TStringList params;
    for (const String& line : lines)
        params.Add(line);
    try {
        BuildDPB(params);
    } catch (const Error& e) {
        if constexpr (std::is_base_of_v<EIBError, Error>) {
            EXPECT_EQ(e.SQLCode(), sqlCode);
        }
        return e.Message();
    }
    ADD_FAILURE() << "BuildDPB did not fail";
    return {};
}

void ExpectTooLong(const std::function<void()>& action, int bytes) {
    try {
        action();
        ADD_FAILURE() << "a block of " << bytes << " bytes was built";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.Message(), u"The database parameter block is " + IntToStr(bytes) +
                                   u" bytes long; at most 32767 fit");
    }
}

TEST(DatabaseParams, NamesBlankLinesAndPrefixes) {
    EXPECT_EQ(Bytes({u"", u"user_name", u"ISC_DPB_USER_NAME=x"}),
              (std::vector<int>{1, 28, 0, 28, 1, 'x'}));
    EXPECT_EQ(Bytes({u"   ", u"Password=a=b"}), (std::vector<int>{1, 29, 3, 'a', '=', 'b'}));
    EXPECT_EQ(Bytes({}), (std::vector<int>{1}));
    // Values are not trimmed.
    EXPECT_EQ(Bytes({u"user_name= x "}), (std::vector<int>{1, 28, 3, ' ', 'x', ' '}));
}

TEST(DatabaseParams, ValueClasses) {
    EXPECT_EQ(Bytes({u"page_size=4096"}), (std::vector<int>{1, 4, 4, 0, 16, 0, 0}));
    EXPECT_EQ(Bytes({u"num_buffers=-1"}), (std::vector<int>{1, 5, 4, 255, 255, 255, 255}));
    EXPECT_EQ(Bytes({u"force_write=257"}), (std::vector<int>{1, 24, 1, 1}));
    EXPECT_EQ(Bytes({u"transaction=4294967297"}),
              (std::vector<int>{1, 87, 8, 1, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(Bytes({u"sweep=anything"}), (std::vector<int>{1, 10, 1, 2}));
    EXPECT_EQ(Bytes({u"sweep"}), (std::vector<int>{1, 10, 1, 2}));
    EXPECT_EQ(Bytes({u"activate_shadow=9"}), (std::vector<int>{1, 21, 1, 0}));
    EXPECT_EQ(Bytes({u"set_db_readonly"}), (std::vector<int>{1, 64}));
    EXPECT_EQ(Bytes({u"license=k"}), (std::vector<int>{1, 18, 1, 'k'}));
}

TEST(DatabaseParams, TextBeyondAsciiGoesInUtf8AndSaysSo) {
    // "ç" is two bytes in UTF-8, and the block ends with isc_dpb_utf8_filename once.
    EXPECT_EQ(Bytes({u"password=\u00e7", u"user_name=Jo\u00e3o"}),
              (std::vector<int>{1, 29, 2, 0xC3, 0xA7, 28, 5, 'J', 'o', 0xC3, 0xA3, 'o', 77, 0}));
    // The length byte counts bytes, not characters: 128 "ç" are 256 bytes.
    EXPECT_EQ(FailureOf<EIBClientError>({u"password=" + String(128, u'\u00e7')}, 119),
              u"DPB Constant (password) value is 256 bytes long; at most 255 fit");
    // Items that fill the 16-bit length exactly leave no room for the mark.
    TStringList full;
    for (int i = 0; i < 127; ++i)
        full.Add(u"password=" + String(255, u'p'));
    full.Add(u"password=" + String(125, u'p'));
    EXPECT_EQ(BuildDPB(full).DPB.size(), 32767u);
    ExpectTooLong([&] { AttachDPB(BuildDPB(full).DPB, "\xC3\xA7"); }, 32769);
    full.Put(127, u"password=" + String(123, u'p') + u"\u00e7");
    ExpectTooLong([&] { BuildDPB(full); }, 32769);
}

TEST(DatabaseParams, AttachBlockMarksAnAccentedNameOnce) {
    TStringList params;
    params.Add(u"user_name=VORAS");
    params.Add(u"set_db_readonly");
    const std::string ascii = BuildDPB(params).DPB;
    EXPECT_EQ(AttachDPB(ascii, "localhost:c:\\voras\\talimor\\base.fdb"), ascii);
    const std::string marked = AttachDPB(ascii, "/srv/importa\xC3\xA7\xC3\xA3o.fdb");
    EXPECT_EQ(marked, ascii + std::string("\x4D\x00", 2));
    EXPECT_EQ(AttachDPB(marked, "/srv/importa\xC3\xA7\xC3\xA3o.fdb"), marked);

    // A 77 inside a value is no mark: the block is walked item by item.
    params.Clear();
    params.Add(u"password=M\u00e7");
    params.Add(u"user_name=M");
    const std::string texts = BuildDPB(params).DPB;
    EXPECT_EQ(AttachDPB(texts, "\xC3\xA7"), texts);
    const auto items = DPBItems(texts);
    ASSERT_TRUE(items.has_value());
    ASSERT_EQ(items->size(), 3u);
    EXPECT_EQ((*items)[0].Code, 29);
    EXPECT_EQ((*items)[0].Value, "M\xC3\xA7");
    EXPECT_EQ((*items)[2].Code, 77);
    EXPECT_FALSE(DPBItems(std::string("\x01\x1C\x05VOR", 6)).has_value());
    EXPECT_FALSE(DPBItems("").has_value());
}

TEST(DatabaseParams, TheSystemsTwoLines) {
    auto bytes = Bytes({u"user_name=VORAS", u"password=##480317"});
    EXPECT_EQ(bytes.size(), 1u + (2 + 5) + (2 + 8));
    EXPECT_EQ(bytes, (std::vector<int>{1, 28, 5, 'V', 'O', 'R', 'A', 'S', 29, 8, '#', '#', '4', '8',
                                       '0', '3', '1', '7'}));
}

TEST(DatabaseParams, RefusedLines) {
    EXPECT_EQ(FailureOf<EIBClientError>({u"user_name =x"}, 114),
              u"DPB Constant (user_name ) is unknown");
    EXPECT_EQ(FailureOf<EIBClientError>({u"user_name=a", u"Colour=red"}, 114),
              u"DPB Constant (Colour) is unknown");
    EXPECT_EQ(FailureOf<EIBClientError>({u"Bogus"}, 114), u"DPB Constant (Bogus) is unknown");
    EXPECT_EQ(FailureOf<EIBClientError>({u"Debug=1"}, 11),
              u"DPB Constant (isc_dpb_Debug) is unsupported");
    EXPECT_EQ(FailureOf<EIBClientError>({u"sql_role_name=r", u"shutdown=1"}, 11),
              u"DPB Constant (isc_dpb_shutdown) is unsupported");
    EXPECT_EQ(FailureOf<EConvertError>({u"page_size=4k"}), u"'4k' is not a valid integer value");
    EXPECT_EQ(FailureOf<EConvertError>({u"page_size"}), u"'' is not a valid integer value");
}

TEST(DatabaseParams, TextLongerThanItsLengthByteIsRefused) {
    String fits(255, u'p');
    EXPECT_EQ(Bytes({u"password=" + fits}).size(), 1u + 2 + 255);
    EXPECT_EQ(FailureOf<EIBClientError>({u"Password=" + fits + u"p"}, 119),
              u"DPB Constant (Password) value is 256 bytes long; at most 255 fit");

    // The whole block's length must fit the attach call's 16-bit length.
    TStringList many;
    for (int i = 0; i < 128; ++i)
        many.Add(u"password=" + fits);
    try {
        BuildDPB(many);
        ADD_FAILURE() << "a block of 32897 bytes was built";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.Message(),
                  u"The database parameter block is 32897 bytes long; at most 32767 fit");
    }
}

TEST(DatabaseParams, LcCtypeChoosesTheCharacterSet) {
    TStringList params;
    params.Add(u"user_name=a");
    TDatabaseParamBlock plain = BuildDPB(params);
    EXPECT_FALSE(plain.NamesCharacterSet);

    params.Add(u"lc_ctype=win1251");
    TDatabaseParamBlock block = BuildDPB(params);
    EXPECT_TRUE(block.NamesCharacterSet);
    EXPECT_EQ(block.CharacterSet, u"win1251");
    EXPECT_EQ(block.CharacterSetCodePage, 1251);
    ASSERT_NE(block.CharacterSetEncoding, nullptr);
    EXPECT_EQ(block.CharacterSetEncoding->CodePage(), 1251);
    EXPECT_EQ(block.DPB.substr(block.DPB.size() - 9), std::string("\x30\x07win1251"));

    // EUCJ_0208 reports the code page 20936 of its table entry, but that code page is GB2312;
    // the text of such a connection is EUC-JP and must read back as Japanese.
    TStringList japanese;
    japanese.Add(u"lc_ctype=EUCJ_0208");
    TDatabaseParamBlock euc = BuildDPB(japanese);
    EXPECT_EQ(euc.CharacterSetCodePage, 20936);
    ASSERT_NE(euc.CharacterSetEncoding, nullptr);
    EXPECT_EQ(euc.CharacterSetEncoding->Decode("\xC6\xFC\xCB\xDC"), u"\u65E5\u672C");
    EXPECT_EQ(euc.CharacterSetEncoding->Encode(u"\u65E5\u672C"), "\xC6\xFC\xCB\xDC");

    EXPECT_EQ(CharacterSetCodePage(u"UTF8"), 65001);
    EXPECT_EQ(CharacterSetCodePage(u"unicode_fss"), 65001);
    EXPECT_EQ(CharacterSetCodePage(u"KSC_5601"), 949);
    EXPECT_EQ(CharacterSetCodePage(u"NONE"), 1252);
    EXPECT_EQ(CharacterSetCodePage(u"KOI8R"), 1252);
    EXPECT_FALSE(IsKnownCharacterSet(u"KOI8R"));
}

TEST(DatabaseParams, NameTable) {
    EXPECT_EQ(DatabaseParamCount, 88);
    EXPECT_EQ(DatabaseParamCode(u"CDD_PATHNAME"), 1);
    EXPECT_EQ(DatabaseParamCode(u"user_name"), isc_dpb_user_name);
    EXPECT_EQ(DatabaseParamCode(u"lc_ctype"), isc_dpb_lc_ctype);
    EXPECT_EQ(DatabaseParamCode(u"sql_role_name"), isc_dpb_sql_role_name);
    EXPECT_EQ(DatabaseParamCode(u"set_db_readonly"), isc_dpb_set_db_readonly);
    EXPECT_EQ(DatabaseParamCode(u"ods_version_major"), 88);
    EXPECT_EQ(DatabaseParamCode(u"isc_dpb_user_name"), 0);
    EXPECT_EQ(DatabaseParamClass(isc_dpb_sql_dialect), TDPBParamClass::Int32);
}

TEST(DatabaseParams, TheEngineAcceptsTheBlock) {
    testing::TempFolder folder;
    std::string path = folder.File("dpb.fdb");
    ASSERT_TRUE(testing::CreateDatabase(path));
    TStringList params;
    params.Add(u"user_name=SYSDBA");
    params.Add(u"password=" + FromUtf8(testing::SysdbaPassword()));
    params.Add(u"lc_ctype=WIN1252");
    params.Add(u"num_buffers=100");
    TDatabaseParamBlock block = BuildDPB(params);
    IGDSLibrary& client = testing::Client();
    isc_db_handle db = 0;
    ASSERT_EQ(testing::Attach(path, &db, block.DPB), 0)
        << ToUtf8(ComposeDatabaseErrorMessage().Message);
    EXPECT_EQ(client.isc_detach_database(ThreadStatusVector(), &db), 0);
}

} // namespace
} // namespace ortavo
