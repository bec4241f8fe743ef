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

namespace {

// Attached with the options' user, password and character set. A listing only reads:
// whatever a select may change through a procedure is not kept, also when the listing
// fails halfway.
void Connect(const QueryOptions& options, TIBDatabase& Base, TIBTransaction& TR) {
    Base.SetName(u"Base");
    TR.SetName(u"TR");
    Base.Params().Add(u"user_name=" + options.User);
    Base.Params().Add(u"password=" + options.Password);
    if (!options.CharSet.empty())
        Base.Params().Add(u"lc_ctype=" + options.CharSet);
    Base.SetLoginPrompt(false);
    TR.SetDefaultAction(TIBTransactionAction::TARollback);
    Base.SetDefaultTransaction(&TR);
    Base.SetDatabaseName(options.Database);
    Base.SetConnected(true);
}

// The select prepared and opened on a unidirectional query. A statement that could change
// the database is refused; a select that locks its rows changes nothing that the rollback
// does not undo.
void OpenSelect(TIBDatabase& Base, TIBTransaction& TR, const String& select, TIBQuery& Query) {
    Query.SetName(u"Query");
    Query.SetDatabase(&Base);
    Query.SetTransaction(&TR);
    Query.SetBufferChunks(1000);
    Query.SetParamCheck(true);
    Query.SetUniDirectional(true);
    Query.SQL().Add(select);
    Query.Prepare();
    if (Query.StatementType() != SQLSelect && Query.StatementType() != SQLSelectForUpdate)
        RaiseClientError(ibxeCannotOpenNonSQLSelect);
    Query.Open();
}

// The dataset has no field for an array column; say so rather than drop it unseen.
void NoteArrayColumns(TIBQuery& Query, std::ostream& err) {
    TIBXSQLDA& columns = *Query.QSelect().Current();
    for (int i = 0; i < columns.Count(); ++i)
        if (columns.Vars(i)->SQLType() == SQL_ARRAY)
            err << "notice: column " << ConsoleText(columns.Vars(i)->Name())
                << " is an array and is not listed\n";
}

// The listing's lines, gathered and written in large pieces. A line goes out only whole,
// so a row that fails leaves nothing of itself.
class TListingLines {
public:
    explicit TListingLines(std::ostream& out) : FOut(out) {}

    // The line being appended to.
    std::string& Line() { return FLines; }
    // The line is whole. A piece that cannot be written ends the listing at once.
    void EndLine() {
        FLines += '\n';
        FWhole = FLines.size();
        if (FWhole >= WriteAt) {
            WriteWhole();
            CheckWritten(FOut, u"standard output");
        }
    }
    // Every whole line written and flushed, as far as the output takes them.
    void WriteWhole() {
        FOut.write(FLines.data(), static_cast<std::streamsize>(FWhole));
        FOut.flush();
        FLines.erase(0, FWhole);
        FWhole = 0;
    }
    // The last lines written; fails when any line could not be.
    void Finish() {
        WriteWhole();
        CheckWritten(FOut, u"standard output");
    }

private:
    static constexpr std::size_t WriteAt = 1 << 16;
    std::ostream& FOut;
    std::string FLines;
    // The length of the whole lines at the start of FLines.
    std::size_t FWhole = 0;
};

void WriteFieldNames(const TFields& fields, TListingLines& lines) {
    for (int i = 0; i < fields.Count(); ++i) {
        if (i > 0)
            lines.Line() += '\t';
        AppendEscaped(fields[i].FieldName(), lines.Line());
    }
    lines.EndLine();
}

// Every row as it is fetched; failing is the field whose text is being written.
void WriteRows(TIBQuery& Query, TListingLines& lines, const TField*& failing) {
    const TFields& fields = Query.Fields();
    // Which fields are text is settled once, not for every row.
    std::vector<const TStringField*> texts;
    for (const auto& field : fields)
        texts.push_back(ListedAsText(*field));
    String scratch;
    for (; !Query.Eof(); Query.Next()) {
        std::string& line = lines.Line();
        for (int i = 0; i < fields.Count(); ++i) {
            if (i > 0)
                line += '\t';
            failing = &fields[i];
            if (const TStringField* text = texts[static_cast<std::size_t>(i)])
                AppendText(*text, line, scratch);
            else
                AppendFieldText(fields[i], line, scratch);
        }
        failing = nullptr;
        lines.EndLine();
    }
}

} // namespace

QueryStatus RunQuery(const QueryOptions& options, std::ostream& out, std::ostream& err) {
    TListingLines lines(out);
    // The components outlive the try: the field that failed is named in the catch.
    TIBDatabase Base;
    TIBTransaction TR;
    TIBQuery Query;
    const TField* failing = nullptr;
    try {
        Connect(options, Base, TR);
        OpenSelect(Base, TR, options.Select, Query);
        NoteArrayColumns(Query, err);
        WriteFieldNames(Query.Fields(), lines);
        WriteRows(Query, lines, failing);
        lines.Finish();
        Query.Close();
        Base.Close();
        return QueryOk;
    } catch (...) {
        lines.WriteWhole();
        VisitException(std::current_exception(), [&](const Exception& e) {
            if (failing)
                err << "error: column " << ConsoleText(failing->FieldName()) << ": "
                    << ConsoleText(ErrorBoxText(e)) << '\n';
            else
                WriteError(err, e);
        });
        return QueryFailed;
    }
}

} // namespace ortavo
