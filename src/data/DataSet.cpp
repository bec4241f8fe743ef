// Opening, closing and moving a dataset, and its fields.
#include "data/DataSet.h"

#include "base/Format.h"
#include "data/DatabaseError.h"
#include "data/FieldClasses.h"

namespace ortavo {

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() = default;

void TDataSet::SetActive(bool value) {
    if (value == Active())
        return;
    if (value)
        DoOpen();
    else
        DoClose();
}

void TDataSet::DoOpen() {
    // The dataset counts as closed until its cursor is open: what opening does may ask.
    try {
        InternalOpen();
        FActiveBuffer = std::make_unique_for_overwrite<std::byte[]>(ActiveBufferSize());
        FState = TDataSetState::dsBrowse;
        FHasRecord = false;
        Settle(GetRecord(FActiveBuffer.get(), TGetMode::gmNext), true);
        FBOF = true;
    } catch (...) {
        FState = TDataSetState::dsInactive;
        FActiveBuffer.reset();
        FHasRecord = false;
        try {
            InternalClose();
        } catch (...) {
            // The open's own failure is the one to report; closing what it left half
            // built is best effort.
        }
        throw;
    }
}

void TDataSet::DoClose() {
    FState = TDataSetState::dsInactive;
    FHasRecord = false;
    FBOF = FEOF = true;
    FActiveBuffer.reset();
    InternalClose();
}

void TDataSet::Settle(TGetResult result, bool forward) {
    if (result == TGetResult::grOK) {
        FHasRecord = true;
        FBOF = FEOF = false;
    } else if (forward) {
        FEOF = true;
        FBOF = FBOF || !FHasRecord;
    } else {
        FBOF = true;
        FEOF = FEOF || !FHasRecord;
    }
}

void TDataSet::First() {
    CheckActive();
    InternalFirst();
    FHasRecord = false;
    FBOF = FEOF = false;
    Settle(GetRecord(FActiveBuffer.get(), TGetMode::gmNext), true);
    FBOF = true;
}

void TDataSet::Next() {
    CheckActive();
    if (FEOF)
        return;
    Settle(GetRecord(FActiveBuffer.get(), TGetMode::gmNext), true);
}

void TDataSet::Prior() {
    CheckActive();
    if (FBOF)
        return;
    Settle(GetRecord(FActiveBuffer.get(), TGetMode::gmPrior), false);
}

void TDataSet::Last() {
    CheckActive();
    InternalLast();
    FHasRecord = false;
    FBOF = FEOF = false;
    Settle(GetRecord(FActiveBuffer.get(), TGetMode::gmPrior), false);
    FEOF = true;
}

void TDataSet::Resync() {
    if (!Active())
        return;
    const TGetResult result = GetRecord(FActiveBuffer.get(), TGetMode::gmCurrent);
    FHasRecord = result == TGetResult::grOK;
}

void TDataSet::SetUniDirectional(bool value) {
    FUniDirectional = value;
}

TField& TDataSet::FieldByName(StringView name) const {
    if (TField* field = FFields.FindField(name))
        return *field;
    DatabaseErrorFmt(u"Field '%s' not found", {String(name)}, this);
}

void TDataSet::CheckActive() const {
    if (!Active())
        DatabaseError(u"Cannot perform this operation on a closed dataset", this);
}

void TDataSet::CheckInactive() const {
    if (Active())
        DatabaseError(u"Cannot perform this operation on an open dataset", this);
}

void TDataSet::CreateFields() {
    for (const TFieldDef& def : FFieldDefs) {
        std::unique_ptr<TField> field = CreateField(def);
        field->SetDataSet(this);
        FFields.Add(std::move(field));
    }
}

std::unique_ptr<TField> TDataSet::CreateField(const TFieldDef& def) {
    std::unique_ptr<TField> field = NewField(def.DataType);
    if (!field)
        DatabaseErrorFmt(u"Field '%s' is of an unknown type", {def.Name}, this);
    field->SetFieldName(def.Name);
    field->SetFieldNo(def.FieldNo);
    field->SetDataType(def.DataType);
    if (def.DataType == ftString || def.DataType == ftFixedChar || def.DataType == ftWideString ||
        def.DataType == ftBCD || def.DataType == ftBytes || def.DataType == ftVarBytes ||
        def.DataType == ftBlob || def.DataType == ftWideMemo)
        field->SetSize(def.Size);
    field->SetRequired(def.Required);
    field->SetReadOnly(def.ReadOnly);
    if (def.InternalCalcField)
        field->SetFieldKind(TFieldKind::fkInternalCalc);
    if (auto* text = dynamic_cast<TStringField*>(field.get()))
        text->SetFixedChar(def.FixedChar || def.DataType == ftFixedChar);
    if (auto* bcd = dynamic_cast<TBCDField*>(field.get()))
        bcd->SetPrecision(def.Precision);
    if (auto* fmt = dynamic_cast<TFMTBCDField*>(field.get())) {
        fmt->SetPrecision(def.Precision);
        fmt->SetSize(def.Size);
    }
    return field;
}

std::unique_ptr<TField> TDataSet::NewField(TFieldType type) const {
    return NewFieldOfType(type);
}

} // namespace ortavo
