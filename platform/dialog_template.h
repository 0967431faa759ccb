#pragma once
#include <cstdint>
#include <vector>

#include "platform/resources.h"

// The ids of the radio buttons in the group of radio button `id`: the run of consecutive radio
// buttons around it in template order. Empty when `id` is not a radio button of `dialog`.
std::vector<uint16_t> radioGroupOf(const DialogTemplate& dialog, uint16_t id);
