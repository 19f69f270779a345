#include "pillar/ThreadRegistry.h"

#include <map>

#include "pillar/CriticalSection.h"
#include "pillar/ThreadLocalSlot.h"
#include "pillar/ThreadTlsRecord.h"

namespace pillar {

namespace {

struct Registry {
    CriticalSection lock;
    std::map<int32_t, FrameworkThread*> threads;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

ThreadTlsRecord* CurrentThreadRecord() {
    return static_cast<ThreadTlsRecord*>(CurrentThreadSlot().Get());
}

bool EnrolThread(int32_t identifier) {
    ThreadTlsRecord* record = CurrentThreadRecord();
    if (!record)
        return false;
    // A thread lives under one identifier; a second one would leave the
    // first entry behind when it withdraws.
    if (record->managedCount > 0 && record->managedIdentifier != identifier)
        return false;
    Registry& registry = TheRegistry();
    AutoLock hold(registry.lock);
    auto inserted = registry.threads.emplace(identifier, record->owner);
    if (!inserted.second && inserted.first->second != record->owner)
        return false;
    ++record->managedCount;
    record->managedIdentifier = identifier;
    return true;
}

bool WithdrawThread() {
    ThreadTlsRecord* record = CurrentThreadRecord();
    if (!record || record->managedCount <= 0)
        return false;
    if (--record->managedCount == 0) {
        Registry& registry = TheRegistry();
        AutoLock hold(registry.lock);
        registry.threads.erase(record->managedIdentifier);
        record->managedIdentifier = -1;
    }
    return true;
}

FrameworkThread* EnrolledThread(int32_t identifier) {
    Registry& registry = TheRegistry();
    AutoLock hold(registry.lock);
    auto it = registry.threads.find(identifier);
    return it == registry.threads.end() ? nullptr : it->second;
}

} // namespace pillar
