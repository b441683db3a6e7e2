#include "emulation/types/family_tables.h"

namespace emulation {

constinit TermFamilyTable* const TermFamilies[kTermFamilyCount] = {
    &FamilyN7900, &FamilyViewpoint, &FamilyWyse60, &FamilyC332, &FamilyVt220, &FamilyTv965};

void ResetFamilyTables() {
    // ColumnChangeClear at start; the only header field that changes at run time.
    static constexpr uint8_t kColumnChangeClearAtStart[kTermFamilyCount] = {0, 0, 1, 0, 0, 1};
    for (size_t i = 0; i < kTermFamilyCount; ++i)
        TermFamilies[i]->ColumnChangeClear = kColumnChangeClearAtStart[i];
}

}  // namespace emulation
