// The database layer's text and fixed-point fields.
#include "IBX/datasets/IBFields.h"

namespace ortavo {

TIBStringField::TIBStringField(TComponent* owner) : TWideStringField(owner) {
    SetEmptyAsNull(true);
}

TIBBCDField::TIBBCDField(TComponent* owner) : TBCDField(owner) {}

bool TIBBCDField::ReadCurrency(Currency& value) const {
    if (!ReadValue(value))
        return false;
    // The value passes through a decimal of Size places: finer digits round away, halves
    // away from zero.
    Currency unit = 1;
    for (int places = Size(); places < 4; ++places)
        unit *= 10;
    if (unit > 1) {
        const Currency rest = value % unit;
        value -= rest;
        if (rest * 2 >= unit)
            value += unit;
        else if (rest * 2 <= -unit)
            value -= unit;
    }
    return true;
}

std::unique_ptr<TField> NewIBFieldOfType(TFieldType type) {
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return std::make_unique<TIBStringField>();
    case ftBCD:
        return std::make_unique<TIBBCDField>();
    default:
        return NewFieldOfType(type);
    }
}

} // namespace ortavo
