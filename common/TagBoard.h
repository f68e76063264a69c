#pragma once

#include <QString>

namespace shoupai {

// What the screens that change tags need of the board: its current tag and
// room-type tab, and the redraws. The main window is the real board; tests
// hand the billing screens a scripted one. It lives below the screens so that
// billing and setup screens never include the main window's folder.
class TagBoard
{
public:
    virtual ~TagBoard() = default;

    // The selected tile's tag number; empty when no tile is selected.
    virtual QString selectedTag() const = 0;
    // The "牌号:" text of the side panel (the add-consumption screen takes its tag from it).
    virtual QString shownTag() const = 0;
    // The caption of the active room-type tab.
    virtual QString activeRoomType() const = 0;

    // Rebuilds the tiles of the active tab.
    virtual void ReloadTags() = 0;
    // Recounts the states and re-reads the selected tile.
    virtual void RefreshSelection() = 0;
    // Rebuilds the room-type tabs after room types were added, renamed or
    // removed, then the tiles and the counts. A board without tabs has only
    // its tiles and counts to redo.
    virtual void ReloadRoomTypes()
    {
        ReloadTags();
        RefreshSelection();
    }
};

} // namespace shoupai
