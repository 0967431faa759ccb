#pragma once
#include <cstdint>

class MessageSink;

// Releases oldList (may be null), then returns a new list 1, 2, ..., count (new[]), or
// null after the message "Нет памяти для newList!".
uint16_t* getRequiredList(MessageSink& window, uint16_t count, uint16_t* oldList);

// Releases a list made by getRequiredList. Accepts null.
void freeRequiredList(uint16_t* list);

// Flags from the list: flags[n-1] = 1 exactly for the numbers n among the first count
// entries, for n = 1 .. flagsCount (numbers outside that range are ignored).
void requiredFlagsFromList(const uint16_t* list, uint16_t count, uint16_t* flags, uint16_t flagsCount);

// List from the flags: every n with flags[n-1] = 1, ascending, at most capacity of them.
// Returns their number.
uint16_t requiredListFromFlags(const uint16_t* flags, uint16_t flagsCount, uint16_t* list, uint16_t capacity);
