// The parameter-name table, the character-set table and the building of the database
// parameter block.
#include "IBX/connection/IBDatabaseParams.h"

#include "IBX/client/IB.h"
#include "base/Conversions.h"

#include <algorithm>
#include <cstdint>

namespace ortavo {

const char16_t* const DatabaseParamNames[DatabaseParamCount] = {
    u"cdd_pathname",
    u"allocation",
    u"journal",
    u"page_size",
    u"num_buffers",
    u"buffer_length",
    u"debug",
    u"garbage_collect",
    u"verify",
    u"sweep",
    u"enable_journal",
    u"disable_journal",
    u"dbkey_scope",
    u"number_of_users",
    u"trace",
    u"no_garbage_collect",
    u"damaged",
    u"license",
    u"sys_user_name",
    u"encrypt_key",
    u"activate_shadow",
    u"sweep_interval",
    u"delete_shadow",
    u"force_write",
    u"begin_log",
    u"quit_log",
    u"no_reserve",
    u"user_name",
    u"password",
    u"password_enc",
    u"sys_user_name_enc",
    u"interp",
    u"online_dump",
    u"old_file_size",
    u"old_num_files",
    u"old_file_name",
    u"old_start_page",
    u"old_start_seqno",
    u"old_start_file",
    u"drop_walfile",
    u"old_dump_id",
    u"wal_backup_dir",
    u"wal_chkptlen",
    u"wal_numbufs",
    u"wal_bufsize",
    u"wal_grp_cmt_wait",
    u"lc_messages",
    u"lc_ctype",
    u"cache_manager",
    u"shutdown",
    u"online",
    u"shutdown_delay",
    u"reserved",
    u"overwrite",
    u"sec_attach",
    u"disable_wal",
    u"connect_timeout",
    u"dummy_packet_interval",
    u"gbak_attach",
    u"sql_role_name",
    u"set_page_buffers",
    u"working_directory",
    u"sql_dialect",
    u"set_db_readonly",
    u"set_db_sql_dialect",
    u"gfix_attach",
    u"gstat_attach",
    u"gbak_ods_version",
    u"gbak_ods_minor_version",
    u"set_group_commit",
    u"gbak_validate",
    u"client_interbase_var",
    u"admin_option",
    u"flush_interval",
    u"instance_name",
    u"old_overwrite",
    u"archive_database",
    u"archive_journals",
    u"archive_sweep",
    u"archive_dumps",
    u"archive_recover",
    u"recover_until",
    u"force",
    u"preallocate",
    u"sys_encrypt_password",
    u"eua_user_name",
    u"transaction",
    u"ods_version_major",
};

int DatabaseParamCode(StringView name) noexcept {
    for (int i = 0; i < DatabaseParamCount; ++i)
        if (SameText(name, DatabaseParamNames[i]))
            return i + 1;
    return 0;
}

TDPBParamClass DatabaseParamClass(int code) noexcept {
    switch (code) {
    case 18:
    case 19:
    case 20:
    case 28:
    case 29:
    case 30:
    case 36:
    case 47:
    case 48:
    case 60:
    case 75:
    case 81:
    case 82:
    case 85:
        return TDPBParamClass::Text;
    case 4:
    case 5:
    case 22:
    case 34:
    case 61:
    case 63:
    case 79:
    case 80:
    case 84:
    case 88:
        return TDPBParamClass::Int32;
    case 9:
    case 13:
    case 17:
    case 24:
    case 27:
    case 33:
    case 54:
    case 70:
    case 73:
    case 76:
    case 77:
    case 78:
        return TDPBParamClass::Int8;
    case 87:
        return TDPBParamClass::Int64;
    case 10:
        return TDPBParamClass::Sweep;
    case 21:
    case 23:
    case 25:
    case 26:
        return TDPBParamClass::ZeroFlag;
    case 64:
        return TDPBParamClass::BareCode;
    default:
        return TDPBParamClass::Unsupported;
    }
}

namespace {

struct CharacterSetEntry {
    const char16_t* Name;
    int CodePage; // 0: the narrow system code page
    // The code page whose converter handles the text, when it is not CodePage itself.
    int ConverterCodePage = 0;
};

// Code page 20936 is the Simplified Chinese GB2312 one, but an EUCJ_0208 database sends
// EUC-JP: the connection reports 20936 and converts its text as EUC-JP (code page 20932).
constexpr int EucJpCodePage = 20932;

constexpr CharacterSetEntry CharacterSets[] = {
    {u"NONE", 0},
    {u"UTF8", 65001},
    {u"UNICODE_FSS", 65001},
    {u"SJIS_0208", 932},
    {u"WIN1250", 1250},
    {u"WIN1251", 1251},
    {u"WIN1252", 1252},
    {u"WIN1253", 1253},
    {u"WIN1254", 1254},
    {u"ASCII", 20127},
    {u"DOS437", 437},
    {u"DOS850", 850},
    {u"DOS852", 852},
    {u"DOS857", 857},
    {u"DOS860", 860},
    {u"DOS861", 861},
    {u"DOS863", 863},
    {u"DOS865", 865},
    {u"EUCJ_0208", 20936, EucJpCodePage},
    {u"ISO8859_1", 28591},
    {u"GB_2312", 52936},
    {u"KSC_5601", 949},
};

const CharacterSetEntry* FindCharacterSet(StringView name) noexcept {
    for (const auto& entry : CharacterSets)
        if (SameText(name, entry.Name))
            return &entry;
    return nullptr;
}

void AppendInteger(std::string& dpb, std::uint64_t value, int bytes) {
    dpb += static_cast<char>(bytes);
    for (int i = 0; i < bytes; ++i)
        dpb += static_cast<char>((value >> (8 * i)) & 0xFF);
}

constexpr std::size_t MaxTextValueBytes = 255;
constexpr std::size_t MaxBlockBytes = 32767;

bool IsAscii(std::string_view bytes) noexcept {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool HasItem(std::string_view dpb, int code) {
    const std::optional<std::vector<TDPBItem>> items = DPBItems(dpb);
    return items && std::any_of(items->begin(), items->end(),
                                [code](const TDPBItem& item) { return item.Code == code; });
}

// The client takes the block's texts and the database name as UTF-8 when the block says so;
// without the mark it converts them from the process's codeset, which fails for any
// character beyond ASCII in the C locale.
void MarkUtf8(std::string& dpb) {
    if (HasItem(dpb, isc_dpb_utf8_filename))
        return;
    dpb += static_cast<char>(isc_dpb_utf8_filename);
    dpb += '\0';
}

void CheckBlockLength(const std::string& dpb) {
    // The attach call takes the length as a 16-bit number; a longer block would be cut.
    if (dpb.size() > MaxBlockBytes)
        throw EIBClientError(ibxeStringTooLarge,
                             Format(u"The database parameter block is %d bytes long; at most "
                                    u"%d fit",
                                    {dpb.size(), MaxBlockBytes}));
}

} // namespace

int CharacterSetCodePage(StringView characterSet) noexcept {
    const CharacterSetEntry* entry = FindCharacterSet(characterSet);
    return entry && entry->CodePage ? entry->CodePage : Encoding::Ansi().CodePage();
}

bool IsKnownCharacterSet(StringView characterSet) noexcept {
    return FindCharacterSet(characterSet) != nullptr;
}

const Encoding& CharacterSetEncoding(StringView characterSet) {
    const CharacterSetEntry* entry = FindCharacterSet(characterSet);
    if (entry && entry->ConverterCodePage)
        return Encoding::ForCodePage(entry->ConverterCodePage);
    return Encoding::ForCodePage(CharacterSetCodePage(characterSet));
}

TDatabaseParamBlock BuildDPB(const TStrings& params) {
    TDatabaseParamBlock block;
    std::string& dpb = block.DPB;
    dpb += static_cast<char>(isc_dpb_version1);
    bool utf8Texts = false;

    for (int i = 0; i < params.Count(); ++i) {
        String line = params.Get(i);
        if (Trim(line).empty())
            continue;
        std::size_t equals = line.find(u'=');
        // Without "=" the line has no name part: it is all name, with an empty value.
        String written = equals == String::npos ? String() : line.substr(0, equals);
        String name;
        String value;
        if (Trim(written).empty()) {
            written = line;
            name = LowerCase(line);
        } else {
            name = LowerCase(written);
            value = line.substr(equals + 1);
        }
        if (name.starts_with(u"isc_dpb_"))
            name.erase(0, 8);

        int code = DatabaseParamCode(name);
        if (code == 0)
            RaiseClientError(ibxeDPBConstantUnknownEx, {written});
        const TDPBParamClass kind = DatabaseParamClass(code);
        if (kind == TDPBParamClass::Unsupported)
            RaiseClientError(ibxeDPBConstantNotSupported, {written});
        dpb += static_cast<char>(code);
        switch (kind) {
        case TDPBParamClass::Unsupported:
        case TDPBParamClass::BareCode:
            break;
        case TDPBParamClass::Text: {
            std::string bytes = ToUtf8(value);
            utf8Texts = utf8Texts || !IsAscii(bytes);
            // The length byte holds at most 255; a longer value is refused, not cut.
            if (bytes.size() > MaxTextValueBytes)
                throw EIBClientError(
                    ibxeStringTooLarge,
                    Format(u"DPB Constant (%s) value is %d bytes long; at most %d fit",
                           {written, bytes.size(), MaxTextValueBytes}));
            dpb += static_cast<char>(bytes.size());
            dpb += bytes;
            break;
        }
        case TDPBParamClass::Int32:
            AppendInteger(dpb, static_cast<std::uint32_t>(StrToInt(value)), 4);
            break;
        case TDPBParamClass::Int8:
            AppendInteger(dpb, static_cast<std::uint32_t>(StrToInt(value)), 1);
            break;
        case TDPBParamClass::Int64:
            AppendInteger(dpb, static_cast<std::uint64_t>(StrToInt64(value)), 8);
            break;
        case TDPBParamClass::Sweep:
            AppendInteger(dpb, 2, 1);
            break;
        case TDPBParamClass::ZeroFlag:
            AppendInteger(dpb, 0, 1);
            break;
        }

        if (code == isc_dpb_lc_ctype_code) {
            block.NamesCharacterSet = true;
            block.CharacterSet = value;
            block.CharacterSetCodePage = CharacterSetCodePage(value);
            block.CharacterSetEncoding = &CharacterSetEncoding(value);
        }
    }
    if (utf8Texts)
        MarkUtf8(dpb);
    CheckBlockLength(dpb);
    return block;
}

std::optional<std::vector<TDPBItem>> DPBItems(std::string_view dpb) {
    if (dpb.empty() || dpb[0] != static_cast<char>(isc_dpb_version1))
        return std::nullopt;
    std::vector<TDPBItem> items;
    std::size_t at = 1;
    while (at < dpb.size()) {
        const int code = static_cast<unsigned char>(dpb[at++]);
        if (DatabaseParamClass(code) == TDPBParamClass::BareCode) {
            items.push_back({code, {}});
            continue;
        }
        if (at >= dpb.size())
            return std::nullopt;
        const std::size_t length = static_cast<unsigned char>(dpb[at++]);
        if (length > dpb.size() - at)
            return std::nullopt;
        items.push_back({code, dpb.substr(at, length)});
        at += length;
    }
    return items;
}

std::string AttachDPB(const std::string& dpb, std::string_view name) {
    if (IsAscii(name))
        return dpb;
    std::string marked = dpb;
    MarkUtf8(marked);
    CheckBlockLength(marked);
    return marked;
}

} // namespace ortavo
