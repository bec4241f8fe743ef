// Descriptor areas: TIBXSQLDA owns one client XSQLDA with its buffers, TIBXSQLVAR converts
// the values of one of its variables, TSQLVAR reads and writes the raw variable.
#pragma once

#include "IBX/statements/IBXSQLVAR.h"

#include "base/StringList.h"

#include <ibase.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace ortavo {

class TIBSQL;

// An area as a describe and Initialize left it, without its buffers: what a kept statement
// brings back instead of describing itself again.
struct TIBXSQLDADescription {
    std::vector<XSQLVAR> Vars;
    std::vector<String> Names;
    String UniqueRelationName;
};

// Ownership: the area belongs to its statement and owns the XSQLDA block, every
// TIBXSQLVAR of it and (through them) their data buffers and null indicators. Pointers to
// variables stay valid while the area lives; the block moves when it grows.
class TIBXSQLDA {
public:
    explicit TIBXSQLDA(TIBSQL* query);
    ~TIBXSQLDA();
    TIBXSQLDA(const TIBXSQLDA&) = delete;
    TIBXSQLDA& operator=(const TIBXSQLDA&) = delete;

    int Count() const noexcept { return FCount; }
    // Clears the names; grows the block when needed; sets sqln and sqld to the count.
    void SetCount(int value);
    // "XSQLDA index out of range" outside 0..Count-1.
    TIBXSQLVAR* Vars(int index) const;
    TIBXSQLVAR* operator[](int index) const { return Vars(index); }
    // The variable registered under that name (compared as registered), or null.
    TIBXSQLVAR* ByName(StringView name) const;
    // The index of the variable registered under that name, or -1.
    int IndexOfName(StringView name) const;
    // Registers a name at an index, by the dialect's rules.
    void AddName(const String& fieldName, int index);
    // Registers a name already in the form AddName gives it.
    void PutName(String name, int index);
    const TStrings& Names() const noexcept { return FNames; }
    // The sum of the variables' described lengths.
    int RecordSize() const;
    // The block as the client calls take it; null while empty.
    XSQLDA* AsXSQLDA() noexcept;
    const String& UniqueRelationName() const noexcept { return FUniqueRelationName; }
    // Whether any variable received a value.
    bool Modified() const;
    TIBSQL* SQL() const noexcept { return FSQL; }

    // Names the result columns (when nothing is registered), finds the unique table and
    // reserves every variable's buffers after the server has described the area.
    void Initialize();
    // The area after Initialize, and the same state put back in place of describing and
    // initializing.
    TIBXSQLDADescription Description() const;
    void Restore(const TIBXSQLDADescription& description);

    // The connection's dialect; 3 without a statement or database.
    int Dialect() const noexcept;

private:
    struct FreeBlock {
        void operator()(XSQLDA* block) const noexcept;
    };

    int FCount = 0;
    int FSize = 0;
    std::unique_ptr<XSQLDA, FreeBlock> FXSQLDA;
    std::vector<std::unique_ptr<TIBXSQLVAR>> FXSQLVARs;
    TStringList FNames;
    String FUniqueRelationName;
    TIBSQL* FSQL;
};

} // namespace ortavo
