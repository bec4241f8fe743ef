// The database layer's own field classes: text fields that know CHAR padding and empty
// values, and fixed-point fields over the currency value.
#pragma once

#include "data/FieldClasses.h"

namespace ortavo {

// Starts with EmptyAsNull true.
class TIBStringField : public TWideStringField {
public:
    explicit TIBStringField(TComponent* owner = nullptr);
};

// Its data is the 8-byte currency value; reading rounds it to Size decimals.
class TIBBCDField : public TBCDField {
public:
    explicit TIBBCDField(TComponent* owner = nullptr);

protected:
    bool ReadCurrency(Currency& value) const override;
};

// The field class of a data type in the database layer: its own text and fixed-point
// fields, the dataset layer's table for the rest; none for a type without a class.
std::unique_ptr<TField> NewIBFieldOfType(TFieldType type);

} // namespace ortavo
