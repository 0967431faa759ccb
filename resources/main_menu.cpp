#include "platform/resources.h"

namespace {

MenuEntry item(const char* text, uint16_t id) { return {MenuEntry::Kind::kItem, text, id, {}}; }
MenuEntry separator() { return {MenuEntry::Kind::kSeparator, {}, 0, {}}; }
MenuEntry popup(const char* text, std::vector<MenuEntry> entries) {
  return {MenuEntry::Kind::kPopup, text, 0, std::move(entries)};
}

MenuTemplate makeMainMenu() {
  MenuTemplate menu;
  menu.id = kMainMenu;
  menu.popups = {
      popup(" File",
            {item(" New pulses... ", 40002), item(" Create series... ", 40001), separator(),
             item(" View series parameters...", 40031), separator(), item(" Select set of pulses", 40016),
             separator(), item(" Save image as...", 40003), separator(), item(" Exit", 40004),
             // Added after the specified items: the user's own files and opened simulation results.
             separator(), item(" Open series...", 40101), item(" Open etalons...", 40102),
             item(" Save series as...", 40103), item(" Open simulation result...", 40104)}),
      popup(" Processing",
            {item(" Processing Same Data", 40017), item(" Processing Next Data ", 40018), separator(),
             item(" More details", 40019), item(" Type more detales", 40020), separator(),
             item(" Fixed case", 40021), item(" Unfixed case", 40022), separator(),
             item(" Statistical Simulation", 40012), item(" Show Statistical Simulation", 40015), separator(),
             item(" Repeat Detection", 40023), item(" Repeat Recognition", 40024),
             item(" Repeat Joint Detection and Discrimination", 40025),
             item(" Repeat Series Processing", 40026)}),
      popup(" Settings",
            {popup(" Select Task Type",
                   {item(" Detection", 40005), item(" Recognition", 40006),
                    item(" Joint Detection and Identification", 40007), item(" Series Processing", 40027)}),
             popup(" Select Series Type", {item(" Fixed Number of Whole Pulses", 40008),
                                           item(" Unfixed Number of Whole Pulses", 40009),
                                           item(" Fixed Number of Cutoffs Pulses", 40010),
                                           item(" Unfuxed Number of Cutoffs Pulses", 40011),
                                           item(" Fixed Number of Whole Pulses Tuples ", 40028),
                                           item(" Unfixed Number of Whole Pulses Tuples ", 40032)}),
             separator(), item(" Subset settings ...", 40029), separator(),
             item(" Drawing settings ...", 40030)}),
      popup(" Else One", {item(" Create Series...", 40014), separator(), item(" Debugging repeat ", 40033)}),
  };
  return menu;
}

}  // namespace

const MenuTemplate* menuResource(uint16_t id) {
  static const MenuTemplate kMenu = makeMainMenu();
  return id == kMainMenu ? &kMenu : nullptr;
}
