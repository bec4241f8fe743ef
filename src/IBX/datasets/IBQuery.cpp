// The query: its text and parameters, preparing, opening and executing.
#include "IBX/datasets/IBQuery.h"

#include "IBX/client/IB.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/statements/IBSQL.h"

#include <algorithm>

namespace ortavo {

TIBQuery::TIBQuery(TComponent* owner) : TIBCustomDataSet(owner), FParams(this) {
    FSQL.OnChange = [this](TStrings&) { QueryTextChanged(); };
}

TIBQuery::~TIBQuery() {
    FSQL.OnChange = nullptr;
    try {
        Close();
    } catch (...) {
        // A query going away closes what it can; there is no one left to tell.
    }
}

void TIBQuery::QueryTextChanged() {
    const String text = FSQL.Text();
    if (Loading()) {
        FText = FParams.ParseSQL(text, false);
        QSelect().SQL().Assign(FSQL);
        return;
    }
    Close();
    SetPrepared(false);
    if (ParamCheck()) {
        TParams fresh(this);
        FText = ParseParams(fresh, text);
        fresh.AssignValues(FParams);
        FParams.Clear();
        FParams.Assign(fresh);
    } else {
        FText = text;
    }
    QSelect().SQL().Assign(FSQL);
}

void TIBQuery::Loaded() {
    TIBCustomDataSet::Loaded();
    if (ParamCheck() && FParams.Count() == 0)
        FText = ParseParams(FParams, FSQL.Text());
}

String TIBQuery::ParseParams(TParams& params, const String& text) {
    constexpr std::size_t Remembered = 8;
    for (auto parsed = FParsedTexts.begin(); parsed != FParsedTexts.end(); ++parsed) {
        if (parsed->Text != text)
            continue;
        std::rotate(FParsedTexts.begin(), parsed, parsed + 1);
        const TParsedText& found = FParsedTexts.front();
        params.Clear();
        for (const String& name : found.Names)
            params.Add(name);
        return found.Parsed;
    }
    TParsedText parsed{text, params.ParseSQL(text, true), {}};
    for (int i = 0; i < params.Count(); ++i)
        parsed.Names.push_back(params[i].Name());
    if (FParsedTexts.size() == Remembered)
        FParsedTexts.pop_back();
    FParsedTexts.insert(FParsedTexts.begin(), std::move(parsed));
    return FParsedTexts.front().Parsed;
}

void TIBQuery::SetPrepared(bool value) {
    if (Active())
        RaiseClientError(ibxeDatasetOpen);
    if (value == FPrepared)
        return;
    if (value) {
        SetRowsAffected(-1);
        FCheckRowsAffected = true;
        if (FText.size() < 2)
            RaiseClientError(ibxeEmptySQLStatement);
        QSelect().SetGenerateParamNames(FGenerateParamNames);
        PrepareStatements();
    } else {
        if (FCheckRowsAffected)
            SetRowsAffected(QSelect().RowsAffected());
        else if (RowsAffectedUnread())
            // Nobody asked while it could be read; it is not worth a request now.
            SetRowsAffected(-1);
        UnprepareStatements();
    }
    FPrepared = value;
}

TParam& TIBQuery::ParamByName(StringView name) {
    if (FParams.Count() == 0 && !FPrepared && !FSQL.IsBlank()) {
        if (ParamCheck())
            FText = ParseParams(FParams, FSQL.Text());
        Prepare();
    }
    return FParams.ParamByName(name);
}

namespace {

// Decimal values reach the server in its own notation, whatever the regional settings.
const FormatSettings& PointSettings() {
    static const FormatSettings point = [] {
        FormatSettings settings;
        settings.DecimalSeparator = u'.';
        return settings;
    }();
    return point;
}

} // namespace

void TIBQuery::CopyParamsToStatement() {
    TIBXSQLDA& statementParams = *QSelect().Params();
    for (int i = 0; i < FParams.Count(); ++i) {
        const TParam& param = FParams[i];
        TIBXSQLVAR& target = *statementParams.Vars(i);
        if (param.IsNull()) {
            target.SetIsNull(true);
            continue;
        }
        target.SetIsNull(false);
        switch (param.DataType()) {
        case ftString:
        case ftFixedChar:
        case ftWideString:
        case ftFixedWideChar:
        case ftMemo:
        case ftWideMemo:
            target.SetAsString(param.AsString());
            break;
        case ftSmallint:
        case ftWord:
        case ftShortint:
        case ftByte:
            target.SetAsShort(static_cast<std::int16_t>(param.AsInteger()));
            break;
        case ftInteger:
            target.SetAsLong(param.AsInteger());
            break;
        case ftBoolean:
            target.SetAsBoolean(param.AsBoolean());
            break;
        case ftFloat:
            target.SetAsDouble(param.AsFloat());
            break;
        case ftCurrency:
        case ftBCD:
            target.SetAsCurrency(param.AsCurrency());
            break;
        case ftDate:
            target.SetAsDate(param.AsDateTime());
            break;
        case ftTime:
            target.SetAsTime(param.AsDateTime());
            break;
        case ftDateTime:
            target.SetAsDateTime(param.AsDateTime());
            break;
        case ftBytes:
        case ftVarBytes:
        case ftBlob:
            target.SetAsBytes(param.AsBytes());
            break;
        case ftLargeint:
            target.SetAsInt64(param.AsLargeInt());
            break;
        case ftFMTBcd:
            target.SetAsBcd(BcdToStr(param.AsFMTBCD(), PointSettings()));
            break;
        default:
            RaiseClientError(ibxeNotSupported);
        }
    }
}

void TIBQuery::OpenResultSet() {
    EnsureConnected();
    EnsureTransaction();
    if (!FPrepared)
        SetPrepared(true);
    CopyParamsToStatement();
    TIBCustomDataSet::OpenResultSet();
}

void TIBQuery::ExecSQL() {
    CheckInactive();
    if (FSQL.Count() == 0) {
        FCheckRowsAffected = false;
        RaiseClientError(ibxeEmptySQLStatement);
    }
    EnsureConnected();
    const bool started = EnsureTransaction();
    try {
        SetPrepared(true);
        if (FParams.Count() > 0)
            CopyParamsToStatement();
        QSelect().ExecQuery();
        LeaveRowsAffected();
    } catch (...) {
        FCheckRowsAffected = true;
        if (started)
            ReleaseTransaction();
        throw;
    }
    // The count stays with the statement until asked for or the statement unprepared.
    FCheckRowsAffected = false;
    if (started)
        ReleaseTransaction();
}

TIBSQLTypes TIBQuery::StatementType() const {
    return QSelect().SQLType();
}

} // namespace ortavo
