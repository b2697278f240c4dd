#include "boundary/settings.h"

#include "boundary/host_gateway.h"
#include "boundary/records.h"

namespace brio {

namespace {

struct Column {
    int32_t id;
    const char* key;
    int32_t kind; // 0 integer, 1 text
    int32_t defaultInt;
};

constexpr Column kColumns[] = {
    {setting::kCntIn, "Brio/cntIn", 0, 0},
    {setting::kNetChange, "Brio/netChange", 1, 0},
    {setting::kEmulePath, "Brio/emulePath", 1, 0},
    {setting::kFormat, "Brio/format", 1, 0},
    {setting::kEmuleTimer, "Brio/emuleTimer", 0, 10},
    {setting::kList, "Brio/list", 1, 0},
    {setting::kColWidth, "Brio/colWidth", 1, 0},
    {setting::kOrder, "Brio/order", 0, 0},
    {setting::kOnListEnd, "Brio/onListEnd", 0, 0},
    {setting::kAzureusFile, "Brio/azureusFile", 1, 0},
    {setting::kKeptOwn, "Brio/keptOwn", 1, 0},
};

const char kEmptyText[] = "";

} // namespace

void registerSettings(const HostGateway& host) {
    for (const Column& c : kColumns)
        host.registerColumn(c.id, c.kind, c.kind == 1 ? addressOf(kEmptyText) : c.defaultInt, c.key);
}

} // namespace brio
