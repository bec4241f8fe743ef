// TIBQuery: the dataset that runs one editable statement text with named parameters.
#pragma once

#include "IBX/datasets/IBCustomDataSet.h"
#include "IBX/statements/IBSQL.h"
#include "base/StringList.h"
#include "data/Params.h"

namespace ortavo {

// The statement text lives in SQL; every change of it closes and unprepares the query and
// rebuilds Params from the text's markers (a colon and a name), keeping the values of
// same-named parameters. A select is run with Open, anything else with ExecSQL.
class TIBQuery : public TIBCustomDataSet {
public:
    explicit TIBQuery(TComponent* owner = nullptr);
    ~TIBQuery() override;

    TStrings& SQL() noexcept { return FSQL; }
    void SetSQL(const TStrings& value) { FSQL.Assign(value); }
    TParams& Params() noexcept { return FParams; }
    // The text with every parameter marker replaced by "?".
    const String& Text() const noexcept { return FText; }
    bool GenerateParamNames() const noexcept { return FGenerateParamNames; }
    void SetGenerateParamNames(bool value) noexcept { FGenerateParamNames = value; }
    bool Prepared() const noexcept { return FPrepared; }
    // Both raise "Dataset open" while open; "Empty SQL Statement" for a text too short.
    void SetPrepared(bool value);
    void Prepare() { SetPrepared(true); }
    void UnPrepare() { SetPrepared(false); }
    // The parameter of that name; prepares first while the list is empty. Raises
    // "Parameter '%s' not found" prefixed by the query's name.
    TParam& ParamByName(StringView name);
    // Runs a statement that returns no rows. Raises "Cannot perform this operation on an
    // open dataset" while open.
    void ExecSQL();
    TIBSQLTypes StatementType() const;

    void Loaded() override;

protected:
    void OpenResultSet() override;

private:
    void QueryTextChanged();
    void CopyParamsToStatement();
    // TParams::ParseSQL with creation, remembering the last few texts: a run gives the query
    // the same handful of texts over and over.
    String ParseParams(TParams& params, const String& text);

    struct TParsedText {
        String Text;
        String Parsed;
        std::vector<String> Names;
    };

    TStringList FSQL;
    TParams FParams;
    String FText;
    // Most recently parsed first.
    std::vector<TParsedText> FParsedTexts;
    bool FPrepared = false;
    bool FGenerateParamNames = false;
    bool FCheckRowsAffected = true;
};

} // namespace ortavo
