#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The resource section of the executable: the menu, the dialog templates and the button bitmaps.
// The types are here; the data lives in the resources library.

// One entry of a menu: a command item, a separator, or a popup with its own entries.
struct MenuEntry {
  enum class Kind : uint8_t { kItem, kSeparator, kPopup };
  Kind kind = Kind::kItem;
  std::string text;                // exact, blanks included
  uint16_t id = 0;                 // command id of an item
  std::vector<MenuEntry> entries;  // of a popup
};

// A menu bar: its popups in order.
struct MenuTemplate {
  uint16_t id = 0;
  std::vector<MenuEntry> popups;
};

enum class ControlKind : uint8_t {
  kGroupBox,     // a frame with a title; holds nothing itself
  kStatic,       // a left-aligned label
  kEdit,         // a one-line edit field
  kRadioButton,  // an automatic radio button; consecutive ones form a group
  kCheckBox,     // an automatic check box
  kPushButton,
  kDefPushButton,
};

// One control of a dialog template; place and size in dialog units.
struct DialogControl {
  ControlKind kind = ControlKind::kStatic;
  uint16_t id = 0;  // 0xFFFF for labels and frames that nobody addresses
  std::string text;
  int16_t x = 0;
  int16_t y = 0;
  int16_t cx = 0;
  int16_t cy = 0;
  bool disabled = false;
};

// A modal dialog template: title, size in dialog units, its font, and its controls in order.
struct DialogTemplate {
  uint16_t id = 0;
  std::string title;
  int16_t cx = 0;
  int16_t cy = 0;
  int16_t fontPoints = 8;
  std::vector<DialogControl> controls;

  // The control with `id`, or null.
  const DialogControl* find(uint16_t controlId) const;
};

constexpr uint16_t kStaticId = 0xFFFF;

// Ids of the resources.
enum : uint16_t {
  kBitmapNext = 101,     // IDB_BITMAP1
  kBitmapExit = 102,     // ButtonExit
  kBitmapRestart = 103,  // ButtonStart
  kMainMenu = 104,
  kBitmapUnselectAll = 108,  // IDB_BITMAP4
  kBitmapSelectAll = 109,    // IDB_BITMAP5
};

// The menu with `id`, or null.
const MenuTemplate* menuResource(uint16_t id);
// The dialog template with `id`, or null.
const DialogTemplate* dialogResource(uint16_t id);
// The bytes of the .bmp file of bitmap `id`; size 0 when there is none.
struct ResourceBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};
ResourceBytes bitmapResource(uint16_t id);
