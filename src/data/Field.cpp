// Reading a field's value through its dataset, and the dataset's field list.
#include "data/Field.h"

#include "base/Format.h"
#include "data/DataSet.h"
#include "data/DatabaseError.h"

namespace ortavo {

namespace {

String NameKey(StringView name) {
    String key(name);
    for (char16_t& c : key)
        c = CharUpperFull(c);
    return key;
}

} // namespace

bool TField::GetData(void* buffer) const {
    return FDataSet && FDataSet->HasCurrentRecord() && FDataSet->GetFieldData(*this, buffer);
}

bool TField::IsNull() const {
    if (!FDataSet || !FDataSet->HasCurrentRecord())
        return true;
    return !FDataSet->GetFieldData(*this, nullptr);
}

void TField::AccessError(const char16_t* typeName) const {
    DatabaseErrorFmt(u"Cannot access field '%s' as type %s", {FFieldName, typeName});
}

String TField::AsString() const {
    AccessError(u"String");
}
std::int32_t TField::AsInteger() const {
    AccessError(u"Integer");
}
std::int64_t TField::AsLargeInt() const {
    AccessError(u"LargeInt");
}
double TField::AsFloat() const {
    AccessError(u"Float");
}
Currency TField::AsCurrency() const {
    AccessError(u"Currency");
}
TDateTime TField::AsDateTime() const {
    AccessError(u"DateTime");
}
bool TField::AsBoolean() const {
    AccessError(u"Boolean");
}
std::string TField::AsBytes() const {
    AccessError(u"Bytes");
}

void TFields::Add(std::unique_ptr<TField> field) {
    FByName.try_emplace(NameKey(field->FieldName()), field.get());
    FItems.push_back(std::move(field));
}

void TFields::Clear() noexcept {
    FByName.clear();
    FItems.clear();
}

TField* TFields::FindField(StringView name) const {
    auto it = FByName.find(NameKey(name));
    return it == FByName.end() ? nullptr : it->second;
}

} // namespace ortavo
