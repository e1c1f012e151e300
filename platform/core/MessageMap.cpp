#include "platform/core/MessageMap.h"

namespace platform {

namespace {

const MessageMap* BaseOf(const MessageMap* map)
{
    return map->base ? map->base() : nullptr;
}

bool MatchesMessage(const MessageMapEntry& entry, UINT message)
{
    if (entry.kind == MessageEntryKind::kMessage)
        return entry.message == message;
    // A registered number of 0 means the registration failed: it matches nothing.
    if (entry.kind == MessageEntryKind::kRegisteredMessage)
        return entry.registeredMessage && *entry.registeredMessage != 0 && *entry.registeredMessage == message;
    return false;
}

}  // namespace

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message)
{
    for (; map; map = BaseOf(map)) {
        for (const MessageMapEntry* e = map->entries; e->kind != MessageEntryKind::kEnd; ++e) {
            if (MatchesMessage(*e, message))
                return e;
        }
    }
    return nullptr;
}

const MessageMapEntry* FindCommandEntry(const MessageMap* map, MessageEntryKind kind, UINT code, UINT id)
{
    for (; map; map = BaseOf(map)) {
        for (const MessageMapEntry* e = map->entries; e->kind != MessageEntryKind::kEnd; ++e) {
            if (e->kind != kind || id < e->idFirst || id > e->idLast)
                continue;
            if (kind == MessageEntryKind::kNotify && (e->code & 0xFFFF) != (code & 0xFFFF))
                continue;
            if (kind == MessageEntryKind::kCommand && e->code != code)
                continue;
            return e;
        }
    }
    return nullptr;
}

}  // namespace platform
