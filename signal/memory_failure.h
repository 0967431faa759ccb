#pragma once
#include <cstdint>
#include <new>
#include <stdexcept>

#include "platform/message_sink.h"

// The one answer of the kernels to running out of memory: a step that makes storage runs inside
// one of these, and an allocation that fails there (std::bad_alloc, or std::length_error for a
// size no container can hold) ends the step instead of the program.

// Runs allocate(); false when memory ran out inside it.
template <class Allocate>
bool allocated(Allocate&& allocate) {
  try {
    allocate();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return false;
}

// Runs allocate(); when memory ran out inside it, shows `text` under `caption` (empty: none) with
// `style` and gives false.
template <class Allocate>
bool allocatedOrSaid(MessageSink& sink, const char* text, const char* caption, uint32_t style,
                     Allocate&& allocate) {
  if (allocated(allocate)) return true;
  sink.messageBox(text, caption, style);
  return false;
}
