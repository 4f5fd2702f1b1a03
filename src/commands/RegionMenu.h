#pragma once
// The Animate view's pop-up menu for the spot right-clicked, built afresh each time
// in its fixed order, each entry only when its condition holds. Entries are data:
// the text shown, whether it is enabled and checked, the dialog fields it asks for,
// and the action, so the app shows them as a QMenu and `apply` picks one by text.

#include "platform/Status.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimateEditor;

// The values of the dialog an entry opens, by field label.
using DialogValues = std::map<std::string, double>;

struct RegionMenuEntry {
    std::string text; // with its key after a tab, as shown
    bool enabled = true;
    bool checked = false;
    bool separatorBefore = false;
    std::vector<std::string> dialogFields; // the fields of the dialog it opens
    std::function<Status(const DialogValues&)> action;
    std::vector<RegionMenuEntry> submenu;

    // The text without the key after the tab.
    std::string_view label() const;
};

std::vector<RegionMenuEntry> buildRegionMenu(AnimateEditor& editor);

// Every entry the menu can show (labels without keys), with the dialog field of those
// that open one; for listing what a script may choose.
struct RegionMenuItem {
    std::string_view label;
    std::string_view field; // empty: no dialog
};
std::vector<RegionMenuItem> regionMenuCatalogue();

// The entry whose label (or whole text) is `text`, in the menu or its submenus.
const RegionMenuEntry* findRegionMenuEntry(const std::vector<RegionMenuEntry>& menu,
                                           std::string_view text);
// Runs the entry whose label (or whole text) is `text`, in the menu or its submenus.
// Refused with the reason when there is none or it is greyed; a dialog field left out
// of `values` is refused too.
Status chooseRegionMenuEntry(const std::vector<RegionMenuEntry>& menu, std::string_view text,
                             const DialogValues& values = {});

} // namespace zx
