// The query listing: arguments, connection, the rows and their texts.
#include "QueryListing.h"

#include "ConsoleText.h"

#include "IBX/client/IB.h"
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/datasets/IBCustomDataSet.h"
#include "IBX/datasets/IBQuery.h"
#include "IBX/statements/IBSQL.h"
#include "IBX/statements/IBXSQLDA.h"
#include "base/Exception.h"
#include "data/Bcd.h"
#include "data/FieldClasses.h"

#include <charconv>

namespace ortavo {

namespace {

// The value's lowest digits, as many as given, with leading zeros, written backwards from
// end.
char* PutDigits(char* end, int value, int digits) {
    for (; digits-- > 0; value /= 10)
        *--end = value > 0 ? static_cast<char>('0' + value % 10) : '0';
    return end;
}

void AppendDate(TDateTime value, std::string& line) {
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    char text[] = "yyyy-mm-dd";
    PutDigits(text + 4, year, 4);
    PutDigits(text + 7, month, 2);
    PutDigits(text + 10, day, 2);
    line.append(text, 10);
}

void AppendTime(TDateTime value, std::string& line) {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    DecodeTime(value, hour, minute, second, millisecond);
    char text[] = "hh:mm:ss.zzz";
    PutDigits(text + 2, hour, 2);
    PutDigits(text + 5, minute, 2);
    PutDigits(text + 8, second, 2);
    PutDigits(text + 12, millisecond, 3);
    line.append(text, millisecond != 0 ? 12 : 8);
}

void AppendHex(const std::string& bytes, std::string& line) {
    static const char digits[] = "0123456789abcdef";
    for (unsigned char c : bytes) {
        line += digits[c >> 4];
        line += digits[c & 0x0F];
    }
}

} // namespace

bool ParseQueryArguments(const std::vector<std::string>& arguments, QueryOptions& options) {
    std::vector<std::string> positional;
    bool passwordGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--password-file") {
            if (i + 1 >= arguments.size() || !options.PasswordFile.empty())
                return false;
            options.PasswordFile = arguments[++i];
            continue;
        }
        passwordGiven = passwordGiven || argument == "--password";
        String* target = nullptr;
        if (argument == "--user")
            target = &options.User;
        else if (argument == "--password")
            target = &options.Password;
        else if (argument == "--charset")
            target = &options.CharSet;
        if (target) {
            if (i + 1 >= arguments.size())
                return false;
            *target = FromUtf8(arguments[++i]);
            continue;
        }
        if (argument.size() > 2 && argument.compare(0, 2, "--") == 0)
            return false;
        positional.push_back(argument);
    }
    if (positional.size() != 2 || (passwordGiven && !options.PasswordFile.empty()))
        return false;
    options.Database = FromUtf8(positional[0]);
    options.Select = FromUtf8(positional[1]);
    return true;
}

void AppendEscaped(StringView text, std::string& line) {
    const std::size_t from = line.size();
    AppendUtf8(text, line);
    // Most texts hold nothing to escape: they stay as written.
    const auto special = [](char c) { return c == '\\' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t at = from;
    while (at < line.size() && !special(line[at]))
        ++at;
    if (at == line.size())
        return;
    const std::string rest = line.substr(at);
    line.resize(at);
    for (char c : rest) {
        if (!special(c)) {
            line += c;
            continue;
        }
        line += '\\';
        line += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
    }
}

namespace {

// The field when the listing writes it as plain text of a string field; none otherwise.
const TStringField* ListedAsText(const TField& field) {
    switch (field.DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
        return dynamic_cast<const TStringField*>(&field);
    default:
        return nullptr;
    }
}

// Read into the kept room, so that no row needs a new text; \N for none.
void AppendText(const TStringField& field, std::string& line, String& scratch) {
    if (field.ReadText(scratch))
        AppendEscaped(scratch, line);
    else
        line += "\\N";
}

} // namespace

void AppendFieldText(const TField& field, std::string& line, String& scratch) {
    if (const TStringField* text = ListedAsText(field))
        return AppendText(*text, line, scratch);
    if (field.IsNull()) {
        line += "\\N";
        return;
    }
    switch (field.DataType()) {
    case ftDate:
        AppendDate(field.AsDateTime(), line);
        return;
    case ftTime:
        AppendTime(field.AsDateTime(), line);
        return;
    case ftDateTime:
    case ftTimeStamp: {
        const TDateTime value = field.AsDateTime();
        AppendDate(value, line);
        line += ' ';
        AppendTime(value, line);
        return;
    }
    case ftBoolean:
        line += field.AsBoolean() ? "true" : "false";
        return;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: {
        // The integer's plain decimal text, as AsString gives it, without the detour
        // through UTF-16.
        char digits[24];
        const std::int64_t value =
            field.DataType() == ftLargeint ? field.AsLargeInt() : field.AsInteger();
        line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
        return;
    }
    case ftFloat:
        // FloatToStr's text, written as UTF-8 directly.
        AppendFloatText(field.AsFloat(), line);
        return;
    case ftBCD:
        try {
            // CurrToStr's text, written as UTF-8 directly.
            AppendCurrText(field.AsCurrency(), line);
        } catch (const EIBClientError&) {
            // A NUMERIC(18,2) may hold more than a currency does; the listing gives it
            // exactly.
            TBcd exact;
            const auto* dataSet = dynamic_cast<const TIBCustomDataSet*>(field.DataSet());
            if (!dataSet || !dataSet->ExactBeyondCurrency(field, exact))
                throw;
            AppendEscaped(BcdToStr(exact), line);
        }
        return;
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
    case ftBytes:
    case ftVarBytes:
        AppendHex(field.AsBytes(), line);
        return;
    default:
        AppendEscaped(field.AsString(), line);
        return;
    }
}

QueryStatus RunQuery(const QueryOptions& options, std::ostream& out, std::ostream& err) {
    // Rows are gathered and written in large pieces; a row that fails is not written.
    std::string lines;
    std::size_t rowStart = 0;
    constexpr std::size_t WriteAt = 1 << 16;
    String scratch;
    // The field whose text is being written, to name it when that fails.
    const TField* failing = nullptr;
    try {
        TIBDatabase Base;
        TIBTransaction TR;
        Base.SetName(u"Base");
        TR.SetName(u"TR");
        Base.Params().Add(u"user_name=" + options.User);
        Base.Params().Add(u"password=" + options.Password);
        if (!options.CharSet.empty())
            Base.Params().Add(u"lc_ctype=" + options.CharSet);
        Base.SetLoginPrompt(false);
        // A listing only reads: whatever a select may change through a procedure is not
        // kept, also when the listing fails halfway.
        TR.SetDefaultAction(TIBTransactionAction::TARollback);
        Base.SetDefaultTransaction(&TR);
        Base.SetDatabaseName(options.Database);
        Base.SetConnected(true);

        TIBQuery Query;
        Query.SetName(u"Query");
        Query.SetDatabase(&Base);
        Query.SetTransaction(&TR);
        Query.SetBufferChunks(1000);
        Query.SetParamCheck(true);
        Query.SetUniDirectional(true);
        Query.SQL().Add(options.Select);
        Query.Prepare();
        // A listing only reads: a statement that could change the database is refused. A
        // select that locks its rows changes nothing that the rollback does not undo.
        if (Query.StatementType() != SQLSelect && Query.StatementType() != SQLSelectForUpdate)
            RaiseClientError(ibxeCannotOpenNonSQLSelect);
        Query.Open();
        // The dataset has no field for an array column; say so rather than drop it unseen.
        TIBXSQLDA& columns = *Query.QSelect().Current();
        for (int i = 0; i < columns.Count(); ++i)
            if (columns.Vars(i)->SQLType() == SQL_ARRAY)
                err << "notice: column " << ConsoleText(columns.Vars(i)->Name())
                    << " is an array and is not listed\n";

        const TFields& fields = Query.Fields();
        // Which fields are text is settled once, not for every row.
        std::vector<const TStringField*> texts;
        for (const auto& field : fields)
            texts.push_back(ListedAsText(*field));
        for (int i = 0; i < fields.Count(); ++i) {
            if (i > 0)
                lines += '\t';
            AppendEscaped(fields[i].FieldName(), lines);
        }
        lines += '\n';
        rowStart = lines.size();
        for (; !Query.Eof(); Query.Next()) {
            if (rowStart >= WriteAt) {
                out.write(lines.data(), static_cast<std::streamsize>(rowStart));
                lines.clear();
                rowStart = 0;
            }
            for (int i = 0; i < fields.Count(); ++i) {
                if (i > 0)
                    lines += '\t';
                failing = &fields[i];
                if (const TStringField* text = texts[static_cast<std::size_t>(i)])
                    AppendText(*text, lines, scratch);
                else
                    AppendFieldText(fields[i], lines, scratch);
            }
            failing = nullptr;
            lines += '\n';
            rowStart = lines.size();
        }
        out.write(lines.data(), static_cast<std::streamsize>(rowStart));
        lines.clear();
        rowStart = 0;
        out.flush();
        Query.Close();
        Base.Close();
        return QueryOk;
    } catch (...) {
        out.write(lines.data(), static_cast<std::streamsize>(rowStart));
        out.flush();
        VisitException(std::current_exception(), [&](const Exception& e) {
            err << "error: ";
            if (failing)
                err << "column " << ConsoleText(failing->FieldName()) << ": ";
            err << ConsoleText(ErrorBoxText(e)) << '\n';
        });
        return QueryFailed;
    }
}

} // namespace ortavo
