// The host control object: the one way from the plug-in back into the messenger. The messenger
// hands its address over with pluginStart. The layout of this interface is the contract with every
// host, so it holds exactly these nine operations in this order, and nothing else.
#pragma once

#include "boundary/records.h"

namespace brio {

class IHostControl {
public:
    virtual int pluginId() = 0;
    virtual void* instanceHandle() = 0;
    virtual int hostState() = 0;
    virtual void setError(int code) = 0;
    virtual int sendMessage(MessageRecord* record) = 0;
    virtual int sendMessageTo(int pluginId, MessageRecord* record) = 0;
    virtual void getValue(int table, int row, int column, ValueRecord* value) = 0;
    virtual void setValue(int table, int row, int column, ValueRecord* value) = 0;
    virtual void releaseString(char* text) = 0;

protected:
    ~IHostControl() = default; // never deleted through this interface
};

} // namespace brio
