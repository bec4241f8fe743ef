// The steps of a reconciliation run, on the window's connection, transaction and query.
#include "reconciliation/ReconciliationRun.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/datasets/IBQuery.h"
#include "IBX/statements/IBSQL.h"
#include "IBX/statements/IBStatementCache.h"
#include "base/Conversions.h"
#include "base/Exception.h"
#include "reconciliation/FiscalFile.h"
#include "reconciliation/FiscalRecords.h"
#include "reconciliation/ParseDateByFormat.h"
#include "reconciliation/SaleWrites.h"

#include <exception>

namespace ortavo {

namespace {

// The company is bound rather than spliced between quotes, so a quote in the file's field
// cannot change the statement.
// The parameter takes the column's type, so a CNPJ longer than a short column would fail
// to bind; cast to the field's own width, it compares as a literal would and finds nothing.
constexpr StringView BranchSelect =
    u"SELECT FL_CODIGO FROM FILIAIS WHERE FL_CNPJ = CAST(:CNPJ AS VARCHAR(14))";
// An empty field would be bound as a null and never match; the literal keeps the empty
// text's own comparison, and an empty text holds no quote.
constexpr StringView BranchSelectEmpty = u"SELECT FL_CODIGO FROM FILIAIS WHERE FL_CNPJ = ''";
constexpr StringView StartProcedure = u"EXECUTE PROCEDURE INICIA_APLICACAO('X')";
constexpr StringView SaleSelect =
    u"SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE PAI_FILIAL = :FILIAL AND "
    u"PAI_IMPRESSORA = :ECF AND PAI_DTEMISSAO = :DTEMISSAO AND PAI_DOCUMENTO = :DOCUMENTO ";
// A journal that keeps marks reads the sale's mark with its amounts, at no cost of its own
// over a network; the window, which journals nothing, sends the statement above.
constexpr StringView SaleSelectWithMark =
    u"SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO, PAI_ESTADO FROM MVTO_PAI WHERE PAI_FILIAL = "
    u":FILIAL AND PAI_IMPRESSORA = :ECF AND PAI_DTEMISSAO = :DTEMISSAO AND PAI_DOCUMENTO = "
    u":DOCUMENTO ";
constexpr StringView NotFoundCompany =
    u"ARQUIVO NÃO É DA EMPRESA DA BASE DE DADOS. IMPORTAÇÃO CANCELADA";
constexpr StringView Completed = u"Concluído";

String MessageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return FromUtf8(e.what());
    } catch (...) {
        return u"Unknown exception";
    }
}

class TRun {
public:
    TRun(const TRunComponents& components, const String& databaseName, const String& fileName,
         IRunFront& front, const TRunOptions& options)
        : Base(components.Base), TR(components.TR), Query(components.Query),
          FDatabaseName(databaseName), FFileName(fileName), FFront(front), FOptions(options) {}

    TRunOutcome Execute();

private:
    bool Connect();
    TRunOutcome ReadFile();
    // False when the company is no branch: the run ends there.
    bool Header(StringView line);
    // Fills coupon as its fields are read, so that a failure leaves what was known.
    void Coupon(StringView line, TCouponRecord& coupon);
    void Overwrite(const TCouponRecord& coupon, const TFoundSale& sale,
                   const std::optional<String>& oldState);
    // Whether the journal's rows keep the mark a sale held before the run.
    bool JournalsMarks() const {
        return FOptions.Journal && !FOptions.DryRun && FOptions.Journal->KeepsMarks();
    }
    void Record(const TCouponRecord& coupon, TCouponOutcome outcome);
    // The coupon on which an error ends the run.
    void RecordFailure(const TCouponRecord& coupon) noexcept;
    void SetText(StringView text);
    void Commit();
    // After a failure: the coupon's work is taken back (in a dry run, everything).
    void UndoAfterFailure() noexcept;
    void Log(const String& message) { FFront.Log(message); }

    TIBDatabase& Base;
    TIBTransaction& TR;
    TIBQuery& Query;
    const String& FDatabaseName;
    const String& FFileName;
    IRunFront& FFront;
    const TRunOptions& FOptions;
    String FBranch;
    // The identity of this run in the journal's rows.
    std::string FRunIdentity;
};

// However the run ends, the window then idles with its connection open. A prepared
// statement would go on holding the indexes its plan uses and a transaction that wrote the
// tables it wrote, so that the business system's maintenance could not drop or rebuild an
// index meanwhile. Every coupon's work is committed (or taken back) by then, so ending the
// transaction changes no data; the next run starts afresh anyway.
class TRunLetGo {
public:
    TRunLetGo(TIBDatabase& base, TIBTransaction& tr, TIBQuery& query)
        : FBase(base), FTR(tr), FQuery(query), FFailures(std::uncaught_exceptions()) {}
    ~TRunLetGo() {
        try {
            FQuery.Close();
            FQuery.UnPrepare();
            // Unpreparing the query leaves its statement prepared; this hands it to the
            // kept ones, dropped below with them.
            FQuery.QSelect().FreeHandle();
        } catch (...) {
            // The run's outcome stands: what could not be let go here goes with the next
            // run's disconnect (a lost connection has taken it already).
        }
        TIBStatementCache::DropAll(FBase);
        try {
            if (FTR.InTransaction()) {
                if (std::uncaught_exceptions() > FFailures)
                    FTR.Rollback();
                else
                    FTR.Commit();
            }
        } catch (...) {
            // As above: the next run's disconnect ends the transaction.
        }
    }
    TRunLetGo(const TRunLetGo&) = delete;
    TRunLetGo& operator=(const TRunLetGo&) = delete;

private:
    TIBDatabase& FBase;
    TIBTransaction& FTR;
    TIBQuery& FQuery;
    int FFailures;
};

TRunOutcome TRun::Execute() {
    if (FOptions.Journal)
        FRunIdentity = RunIdentity();
    Base.Close();
    if (!Connect())
        return TRunOutcome::NoConnection;
    const TRunLetGo letGo(Base, TR, Query);
    try {
        TRunOutcome outcome = ReadFile();
        if (FOptions.DryRun && TR.InTransaction())
            TR.Rollback();
        return outcome;
    } catch (...) {
        if (FOptions.DryRun)
            UndoAfterFailure();
        throw;
    }
}

bool TRun::Connect() {
    bool connected = false;
    try {
        Base.SetDatabaseName(FDatabaseName);
        Base.SetConnected(true);
        connected = true;
    } catch (...) {
        // The operator sees the box below, not the cause; only a front end that wants the
        // cause is told it.
        FFront.ConnectionRefused(MessageOf(std::current_exception()));
    }
    if (connected) {
        // Outside the handler: a log that cannot be written ends the run.
        Log(u"Conectado a base de dados " + FDatabaseName);
        return true;
    }
    FFront.Notice(u"Não conseguiu conectar a base de dados");
    Log(u"Sem acesso a base de dados. Importação encerrada");
    return false;
}

TRunOutcome TRun::ReadFile() {
    if (!FiscalFileExists(FFileName)) {
        Log(u"Não foi encontrado o arquivo. Importação encerrada.");
        return TRunOutcome::FileMissing;
    }
    TMemoLines& lines = FFront.FileLines();
    lines.Clear();
    FFront.ClearLog();
    LoadFiscalFile(FFileName, lines);
    const int count = lines.Count();
    bool headerSeen = false;
    for (int i = 0; i < count; ++i) {
        const StringView line = lines.GetView(i);
        if (i == 0 && IsRecord(line, HeaderRecord)) {
            headerSeen = true;
            if (!Header(line))
                return TRunOutcome::CompanyNotFound;
            if (FOptions.Tally)
                FOptions.Tally->Started = true;
        }
        if (!headerSeen || !IsRecord(line, CouponRecord))
            continue;
        TCouponRecord coupon;
        coupon.Line = i + 1;
        try {
            Coupon(line, coupon);
        } catch (...) {
            RecordFailure(coupon);
            throw;
        }
    }
    if (!headerSeen) {
        Log(u"Arquivo não é Ato Cotepe 17/04. Validação não pode ser realizada.");
        return TRunOutcome::NotCotepe;
    }
    Log(String(Completed));
    FFront.Notice(String(Completed));
    return TRunOutcome::Completed;
}

bool TRun::Header(StringView line) {
    const String cnpj = FieldText(line, FiscalLayout::HeaderCnpj);
    Log(u"Cnpj da empresa: " + cnpj);
    Query.Close();
    SetText(cnpj.empty() ? BranchSelectEmpty : BranchSelect);
    if (!cnpj.empty())
        Query.ParamByName(u"CNPJ").SetAsString(cnpj);
    Query.Open();
    Query.FetchAll();
    if (Query.RecordCount() <= 0) {
        Log(String(NotFoundCompany));
        FFront.Notice(String(NotFoundCompany));
        return false;
    }
    FBranch = Query.FieldByName(u"FL_CODIGO").AsString();
    Query.Close();
    SetText(StartProcedure);
    Query.ExecSQL();
    Commit();
    return true;
}

void TRun::Coupon(StringView line, TCouponRecord& coupon) {
    coupon.Document = FieldText(line, FiscalLayout::CouponDocument);
    Log(u"Documento: " + coupon.Document);
    coupon.Discount = AmountValue(Field(line, FiscalLayout::CouponDiscount));
    Log(u"Desconto: " + FormatTwoDecimals(*coupon.Discount));
    coupon.Surcharge = AmountValue(Field(line, FiscalLayout::CouponSurcharge));
    Log(u"Acréscimo: " + FormatTwoDecimals(*coupon.Surcharge));
    coupon.Printer = FieldText(line, FiscalLayout::CouponSerial);
    Log(coupon.Printer);
    const String issueDate = IssueDateText(Field(line, FiscalLayout::CouponIssueDate));
    Log(u"Data: " + issueDate);

    SetText(JournalsMarks() ? SaleSelectWithMark : SaleSelect);
    Query.ParamByName(u"FILIAL").SetAsString(FBranch);
    Query.ParamByName(u"ECF").SetAsString(coupon.Printer);
    coupon.IssueDate = ParseDateByFormat(u"dd/mm/yyyy", issueDate);
    Query.ParamByName(u"DTEMISSAO").SetAsDate(*coupon.IssueDate);
    Query.ParamByName(u"DOCUMENTO").SetAsString(coupon.Document);
    Query.Open();
    Query.FetchAll();
    if (Query.RecordCount() <= 0) {
        Log(u"--->>>> Documento não encontrado");
        Record(coupon, TCouponOutcome::NotFound);
        return;
    }
    TFoundSale& sale = coupon.Sale.emplace();
    sale.Sequence = Query.FieldByName(u"PAI_SEQU").AsInteger();
    sale.Discount = Query.FieldByName(u"PAI_DESCONTO").AsFloat();
    sale.Surcharge = Query.FieldByName(u"PAI_ACRESCIMO").AsFloat();
    std::optional<String> oldState;
    if (JournalsMarks() && !Query.FieldByName(u"PAI_ESTADO").IsNull())
        oldState = Query.FieldByName(u"PAI_ESTADO").AsString();
    Log(u"SEQUENCIAL NO TALIMOR : " + IntToStr(sale.Sequence) + u" Desconto no documento:" +
        FormatTwoDecimals(sale.Discount) + u"- Acréscimo no documento:" +
        FormatTwoDecimals(sale.Surcharge));
    // Exact equality: a difference beyond the cents is a difference.
    if (sale.Discount == *coupon.Discount && sale.Surcharge == *coupon.Surcharge) {
        Record(coupon, TCouponOutcome::Equal);
        return;
    }
    Log(u"*****    Vai atualizar    *****");
    Overwrite(coupon, sale, oldState);
    Log(u"PROCESSADO " + IntToStr(sale.Sequence));
    Record(coupon, FOptions.DryRun ? TCouponOutcome::WouldOverwrite : TCouponOutcome::Overwritten);
}

void TRun::Record(const TCouponRecord& coupon, TCouponOutcome outcome) {
    if (FOptions.Report)
        FOptions.Report->Add(coupon, outcome);
    if (FOptions.Tally)
        FOptions.Tally->Count(outcome);
}

void TRun::RecordFailure(const TCouponRecord& coupon) noexcept {
    try {
        if (FOptions.Report)
            FOptions.Report->Add(coupon, TCouponOutcome::Failed);
    } catch (...) {
        // The failure that ends the run is the one to report; a report that cannot take
        // its row has failed already or will say so on the next run.
    }
    if (FOptions.Tally)
        FOptions.Tally->Count(TCouponOutcome::Failed);
}

void TRun::Overwrite(const TCouponRecord& coupon, const TFoundSale& sale,
                     const std::optional<String>& oldState) {
    // Both updates are one unit: committed together, or taken back together, so a sale is
    // never left with new amounts and no mark (a later run would take it as done).
    bool journalled = false, commitAsked = false;
    const bool journalling = FOptions.Journal && !FOptions.DryRun;
    try {
        Query.Close();
        SetText(AmountsUpdate);
        Query.ParamByName(u"SEQUENCIAL").SetAsInteger(sale.Sequence);
        Query.ParamByName(u"ACRESCIMO").SetAsFloat(*coupon.Surcharge);
        Query.ParamByName(u"DESCONTO").SetAsFloat(*coupon.Discount);
        Query.ExecSQL();
        Query.Close();
        SetText(StateUpdate);
        Query.ParamByName(u"SEQUENCIAL").SetAsInteger(sale.Sequence);
        Query.ParamByName(u"ESTADO").SetAsString(u"P");
        Query.ExecSQL();
        if (journalling) {
            FOptions.Journal->Append({FDatabaseName, FFileName, coupon.Line, sale.Sequence,
                                      coupon.Document, *coupon.IssueDate, coupon.Printer,
                                      sale.Discount, *coupon.Discount, sale.Surcharge,
                                      *coupon.Surcharge, oldState, FRunIdentity});
            journalled = true;
        }
        commitAsked = true;
        Commit();
    } catch (...) {
        // Once the commit was asked for, its failure says nothing of what the server kept:
        // the reply may be what was lost. The row stays then, since a row for a change that
        // was not kept restores nothing wrong, while a missing one loses the old amounts.
        if (journalled && !commitAsked) {
            try {
                FOptions.Journal->Retract();
            } catch (...) {
                // The failure already leaving is the one to report; the journal then holds
                // a row for a change that was not kept, which restores nothing wrong.
            }
        }
        if (!FOptions.DryRun)
            UndoAfterFailure();
        throw;
    }
}

void TRun::SetText(StringView text) {
    Query.SQL().Clear();
    Query.SQL().Add(String(text));
}

void TRun::Commit() {
    if (!FOptions.DryRun)
        TR.CommitRetaining();
}

void TRun::UndoAfterFailure() noexcept {
    TakeBackAfterFailure(TR, FOptions.DryRun);
}

} // namespace

TRunOutcome ReconciliationRun(const TRunComponents& components, const String& databaseName,
                              const String& fileName, IRunFront& front,
                              const TRunOptions& options) {
    return TRun(components, databaseName, fileName, front, options).Execute();
}

} // namespace ortavo
