#include "feeds/dialog_filter.h"

#include <cstddef>
#include <cstring>

#include "boundary/records.h"

namespace brio {

void setDialogFilter(int32_t openFileName, const char* filter) {
    if (!openFileName) return;
    auto* dialog = fromAddress<uint8_t>(openFileName);
    uint32_t structSize = 0;
    std::memcpy(&structSize, dialog + offsetof(OpenFileNameRecord, structSize), sizeof structSize);
    constexpr size_t kFilterEnd = offsetof(OpenFileNameRecord, filter) + sizeof(int32_t);
    if (structSize < kFilterEnd) return;
    const int32_t address = addressOf(filter);
    std::memcpy(dialog + offsetof(OpenFileNameRecord, filter), &address, sizeof address);
}

} // namespace brio
