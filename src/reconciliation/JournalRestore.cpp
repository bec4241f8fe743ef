// Choosing the journal's sales and putting them back.
#include "reconciliation/JournalRestore.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/datasets/IBQuery.h"
#include "reconciliation/RunJournal.h"
#include "reconciliation/SaleWrites.h"

#include <algorithm>
#include <map>

namespace ortavo {

namespace {

constexpr StringView SaleRead = u"SELECT PAI_DESCONTO, PAI_ACRESCIMO, PAI_ESTADO FROM MVTO_PAI "
                                u"WHERE PAI_SEQU = :SEQUENCIAL";
constexpr StringView Processed = u"P";

// A mark as compared: a wider column pads it with blanks.
std::optional<StringView> Mark(const std::optional<String>& state) {
    if (!state)
        return std::nullopt;
    StringView text = *state;
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

bool Holds(const TSaleValues& held, const TSaleValues& values, bool marks) {
    return held.Discount == values.Discount && held.Surcharge == values.Surcharge &&
           (!marks || Mark(held.State) == Mark(values.State));
}

std::string ValuesText(const TSaleValues& values) {
    return ShortestDecimal(values.Discount) + "/" + ShortestDecimal(values.Surcharge) + "/" +
           (values.State ? ToUtf8(*values.State) : std::string());
}

class TRestore {
public:
    TRestore(const TRunComponents& components, const TRestoreOptions& options, IRestoreFront& front)
        : Base(components.Base), TR(components.TR), Query(components.Query), FOptions(options),
          FFront(front) {}

    bool Connect(const String& database);
    void Sale(const TSaleRestore& sale);
    void End();
    void UndoAfterFailure() noexcept;

private:
    void SetText(StringView text) {
        Query.Close();
        Query.SQL().Clear();
        Query.SQL().Add(String(text));
    }

    TIBDatabase& Base;
    TIBTransaction& TR;
    TIBQuery& Query;
    const TRestoreOptions& FOptions;
    IRestoreFront& FFront;
};

bool TRestore::Connect(const String& database) {
    Base.Close();
    try {
        Base.SetDatabaseName(database);
        Base.SetConnected(true);
        return true;
    } catch (...) {
        VisitException(std::current_exception(),
                       [&](const Exception& e) { FFront.ConnectionRefused(e.Message()); });
        return false;
    }
}

void TRestore::Sale(const TSaleRestore& sale) {
    SetText(SaleRead);
    Query.ParamByName(u"SEQUENCIAL").SetAsInteger(sale.Sequence);
    Query.Open();
    Query.FetchAll();
    TSaleValues held;
    if (Query.RecordCount() <= 0) {
        Query.Close();
        FFront.Sale(sale, TSaleOutcome::Missing, held);
        return;
    }
    held.Discount = Query.FieldByName(u"PAI_DESCONTO").AsFloat();
    held.Surcharge = Query.FieldByName(u"PAI_ACRESCIMO").AsFloat();
    if (!Query.FieldByName(u"PAI_ESTADO").IsNull())
        held.State = Query.FieldByName(u"PAI_ESTADO").AsString();
    Query.Close();
    if (Holds(held, sale.Old, FOptions.Marks)) {
        FFront.Sale(sale, TSaleOutcome::Unchanged, held);
        return;
    }
    if (!Holds(held, sale.Journalled, true)) {
        FFront.Sale(sale, TSaleOutcome::Conflict, held);
        return;
    }
    SetText(AmountsUpdate);
    Query.ParamByName(u"SEQUENCIAL").SetAsInteger(sale.Sequence);
    Query.ParamByName(u"ACRESCIMO").SetAsFloat(sale.Old.Surcharge);
    Query.ParamByName(u"DESCONTO").SetAsFloat(sale.Old.Discount);
    Query.ExecSQL();
    if (FOptions.Marks) {
        SetText(StateUpdate);
        Query.ParamByName(u"SEQUENCIAL").SetAsInteger(sale.Sequence);
        TParam& state = Query.ParamByName(u"ESTADO");
        state.SetAsString(sale.Old.State.value_or(String()));
        if (!sale.Old.State)
            state.Clear();
        Query.ExecSQL();
    }
    Query.Close();
    if (!FOptions.DryRun)
        TR.CommitRetaining();
    FFront.Sale(sale, TSaleOutcome::Restored, held);
}

void TRestore::End() {
    if (FOptions.DryRun && TR.InTransaction())
        TR.Rollback();
}

void TRestore::UndoAfterFailure() noexcept {
    TakeBackAfterFailure(TR, FOptions.DryRun);
}

} // namespace

std::vector<TSaleRestore> SelectSales(const TJournal& journal, std::string_view database,
                                      TRunChoice choice, std::string_view run) {
    std::string latest;
    for (const TJournalRow& row : journal.Rows)
        if (row.Database == database)
            latest = row.Run;
    std::vector<TSaleRestore> sales;
    std::map<std::int32_t, std::size_t> index;
    for (const TJournalRow& row : journal.Rows) {
        if (row.Database != database)
            continue;
        if ((choice == TRunChoice::Latest && row.Run != latest) ||
            (choice == TRunChoice::One && row.Run != run))
            continue;
        auto [at, added] = index.try_emplace(row.Sequence, sales.size());
        if (added) {
            TSaleRestore& sale = sales.emplace_back();
            sale.Sequence = row.Sequence;
            sale.Old = {row.OldDiscount, row.OldSurcharge,
                        row.OldState ? std::optional<String>(FromUtf8(*row.OldState))
                                     : std::nullopt};
        }
        sales[at->second].Journalled = {row.NewDiscount, row.NewSurcharge, String(Processed)};
    }
    return sales;
}

std::string RestoreLine(const TSaleRestore& sale, TSaleOutcome outcome, const TSaleValues& held) {
    const std::string sequence = std::to_string(sale.Sequence);
    switch (outcome) {
    case TSaleOutcome::Restored:
        return "restored " + sequence;
    case TSaleOutcome::Unchanged:
        return "unchanged " + sequence;
    case TSaleOutcome::Missing:
        return "missing " + sequence;
    case TSaleOutcome::Conflict:
        break;
    }
    return "conflict " + sequence + ": holds " + ValuesText(held) + ", journal says " +
           ValuesText(sale.Journalled);
}

void TRestoreTally::Count(TSaleOutcome outcome) {
    switch (outcome) {
    case TSaleOutcome::Restored:
        ++Restored;
        break;
    case TSaleOutcome::Unchanged:
        ++Unchanged;
        break;
    case TSaleOutcome::Conflict:
        ++Conflicts;
        break;
    case TSaleOutcome::Missing:
        ++Missing;
        break;
    }
}

std::string TRestoreTally::Summary() const {
    return "summary: " + std::to_string(Sales) + " sales, " + std::to_string(Restored) +
           " restored, " + std::to_string(Unchanged) + " unchanged, " + std::to_string(Conflicts) +
           " conflicts, " + std::to_string(Missing) + " missing";
}

bool RestoreSales(const TRunComponents& components, const String& database,
                  const std::vector<TSaleRestore>& sales, const TRestoreOptions& options,
                  IRestoreFront& front) {
    TRestore restore(components, options, front);
    if (!restore.Connect(database))
        return false;
    try {
        for (const TSaleRestore& sale : sales)
            restore.Sale(sale);
        restore.End();
    } catch (...) {
        restore.UndoAfterFailure();
        throw;
    }
    return true;
}

} // namespace ortavo
