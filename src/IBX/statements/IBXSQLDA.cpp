// TIBXSQLDA: the descriptor area block, its variables and their names.
#include "IBX/statements/IBXSQLDA.h"

#include "IBX/client/IB.h"
#include "IBX/connection/IBDatabase.h"
#include "IBX/statements/IBSQL.h"

#include <cstring>
#include <new>

namespace ortavo {

namespace {

// A version 1 name holds 32 bytes with its terminator; names are cut to one less.
constexpr std::size_t NameLimit = 31;

} // namespace

void TIBXSQLDA::FreeBlock::operator()(XSQLDA* block) const noexcept {
    ::operator delete(block);
}

TIBXSQLDA::TIBXSQLDA(TIBSQL* query) : FSQL(query) {}

TIBXSQLDA::~TIBXSQLDA() = default;

int TIBXSQLDA::Dialect() const noexcept {
    return FSQL ? FSQL->Dialect() : 3;
}

void TIBXSQLDA::SetCount(int value) {
    FNames.Clear();
    for (auto& var : FXSQLVARs)
        var->FName.clear();
    if (value > FSize) {
        const std::size_t bytes = XSQLDA_LENGTH(value);
        std::unique_ptr<XSQLDA, FreeBlock> block(static_cast<XSQLDA*>(::operator new(bytes)));
        std::memset(static_cast<void*>(block.get()), 0, bytes);
        if (FXSQLDA)
            std::memcpy(static_cast<void*>(block.get()), FXSQLDA.get(), XSQLDA_LENGTH(FSize));
        FXSQLDA = std::move(block);
        FXSQLDA->version = SQLDA_VERSION1;
        FXSQLDA->sqldabc = static_cast<ISC_LONG>(bytes);
        for (int i = FSize; i < value; ++i)
            FXSQLVARs.push_back(std::make_unique<TIBXSQLVAR>(this, FSQL, i));
        for (int i = 0; i < value; ++i)
            FXSQLVARs[i]->FXSQLVAR.SetXSqlVar(&FXSQLDA->sqlvar[i]);
        FSize = value;
    }
    if (FXSQLDA) {
        FXSQLDA->sqln = static_cast<ISC_SHORT>(value);
        FXSQLDA->sqld = static_cast<ISC_SHORT>(value);
    }
    FCount = value;
    if (value == 0)
        FUniqueRelationName.clear();
}

TIBXSQLVAR* TIBXSQLDA::Vars(int index) const {
    if (index < 0 || index >= FCount)
        RaiseClientError(ibxeXSQLDAIndexOutOfRange);
    return FXSQLVARs[index].get();
}

int TIBXSQLDA::IndexOfName(StringView name) const {
    // Names match without regard to case, as the name list compares them.
    for (int i = 0; i < FNames.Count() && i < FCount; ++i)
        if (SameText(FNames.Lines()[i], name))
            return i;
    return -1;
}

TIBXSQLVAR* TIBXSQLDA::ByName(StringView name) const {
    const int index = IndexOfName(name);
    return index < 0 ? nullptr : FXSQLVARs[index].get();
}

void TIBXSQLDA::AddName(const String& fieldName, int index) {
    String name = Trim(fieldName);
    if (Dialect() < 3) {
        name = UpperCase(name);
    } else if (!name.empty() && name[0] == u'"') {
        String inner = name.size() >= 2 ? name.substr(1, name.size() - 2) : String();
        name.clear();
        for (std::size_t i = 0; i < inner.size(); ++i) {
            name += inner[i];
            if (inner[i] == u'"' && i + 1 < inner.size() && inner[i + 1] == u'"')
                ++i;
        }
    } else {
        name = UpperCase(name);
    }
    PutName(std::move(name), index);
}

void TIBXSQLDA::PutName(String name, int index) {
    TIBXSQLVAR& var = *FXSQLVARs.at(static_cast<std::size_t>(index));
    while (FNames.Count() <= index)
        FNames.Add(String());
    FNames.Put(index, name);
    var.FName = std::move(name);
    var.FIndex = index;
}

int TIBXSQLDA::RecordSize() const {
    int size = 0;
    for (int i = 0; i < FCount; ++i)
        size += FXSQLVARs[i]->Data().SqlLen();
    return size;
}

XSQLDA* TIBXSQLDA::AsXSQLDA() noexcept {
    return FCount > 0 ? FXSQLDA.get() : nullptr;
}

bool TIBXSQLDA::Modified() const {
    for (int i = 0; i < FCount; ++i)
        if (FXSQLVARs[i]->Modified())
            return true;
    return false;
}

TIBXSQLDADescription TIBXSQLDA::Description() const {
    TIBXSQLDADescription description;
    for (int i = 0; i < FCount; ++i) {
        XSQLVAR var = FXSQLDA->sqlvar[i];
        var.sqldata = nullptr;
        var.sqlind = nullptr;
        description.Vars.push_back(var);
        description.Names.push_back(FXSQLVARs[static_cast<std::size_t>(i)]->FName);
    }
    description.UniqueRelationName = FUniqueRelationName;
    return description;
}

void TIBXSQLDA::Restore(const TIBXSQLDADescription& description) {
    const int count = static_cast<int>(description.Vars.size());
    SetCount(count);
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        XSQLVAR& var = FXSQLDA->sqlvar[i];
        ISC_SCHAR* const data = var.sqldata;
        ISC_SHORT* const indicator = var.sqlind;
        var = description.Vars[at];
        var.sqldata = data;
        var.sqlind = indicator;
        if (!description.Names[at].empty())
            PutName(description.Names[at], i);
    }
    // With every name registered, Initialize names nothing and only reserves the buffers.
    Initialize();
    FUniqueRelationName = description.UniqueRelationName;
}

void TIBXSQLDA::Initialize() {
    TIBDatabase* database = FSQL ? FSQL->Database() : nullptr;
    const Encoding* names = database ? &database->Encoding() : nullptr;
    for (int i = 0; i < FCount; ++i)
        FXSQLVARs[i]->FXSQLVAR.SetNameEncoding(names);

    bool registered = false;
    for (int i = 0; i < FNames.Count(); ++i)
        registered = registered || !FNames.Lines()[i].empty();
    if (!registered) {
        bool relationKnown = false, relationMixed = false;
        FUniqueRelationName.clear();
        for (int i = 0; i < FCount; ++i) {
            TSQLVAR& raw = FXSQLVARs[i]->FXSQLVAR;
            const String alias = raw.AliasName();
            const String base = alias.empty() ? String(u"F_") : alias;
            int counter = alias.empty() ? 1 : 0;
            String name = alias.empty() ? String(u"F_1") : alias;
            auto taken = [&](const String& candidate) {
                for (int j = 0; j < i; ++j)
                    if (FXSQLVARs[j]->FXSQLVAR.AliasName() == candidate)
                        return true;
                return false;
            };
            while (taken(name)) {
                const String digits = IntToStr(++counter);
                String cut = base;
                if (cut.size() + digits.size() > NameLimit)
                    cut.resize(NameLimit - digits.size());
                name = cut + digits;
            }
            raw.SetAliasName(name);
            AddName(name, i);

            const String relation = raw.RelName();
            if (!relation.empty() && !relationMixed) {
                if (!relationKnown) {
                    FUniqueRelationName = relation;
                    relationKnown = true;
                } else if (relation != FUniqueRelationName) {
                    FUniqueRelationName.clear();
                    relationMixed = true;
                }
            }
        }
    }

    for (int i = 0; i < FCount; ++i) {
        TIBXSQLVAR& var = *FXSQLVARs[i];
        TSQLVAR& raw = var.FXSQLVAR;
        const int type = raw.SqlDef();
        var.FMaxLen = (type == SQL_TEXT || type == SQL_VARYING) ? raw.SqlLen() : 0;
        var.FDescribedType = type;
        var.FModified = false;
        switch (type) {
        case SQL_VARYING:
            raw.SetDataSize(static_cast<std::size_t>(raw.SqlLen()) + 2);
            break;
        case SQL_TEXT:
        case SQL_DOUBLE:
        case SQL_FLOAT:
        case SQL_LONG:
        case SQL_SHORT:
        case SQL_TIMESTAMP:
        case SQL_BLOB:
        case SQL_D_FLOAT:
        case SQL_ARRAY:
        case SQL_QUAD:
        case SQL_TYPE_TIME:
        case SQL_TYPE_DATE:
        case SQL_INT64:
        case SQL_BOOLEAN:
        case SQL_NULL:
            raw.SetDataSize(raw.SqlLen() == 0 ? 1 : static_cast<std::size_t>(raw.SqlLen()));
            break;
        default:
            RaiseClientError(ibxeUnknownSQLDataType, {type});
        }
        raw.SetIndSize((raw.SqlType() & 1) ? sizeof(ISC_SHORT) : 0);
    }
}

} // namespace ortavo
