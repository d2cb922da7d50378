// FolderTreeFind: one walk through the folder tree to the item of a path, paused while the
// folders on the way are read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <QPersistentModelIndex>

namespace tarvolin::views {

class FolderTreeModel;

// User-interface thread; owned by CFolderTreeCtrl, one find at a time. The walk never waits for a
// listing: it asks the model for the rows of the folder it is at and, when they are not in yet,
// stops there until they are:
//   advance() → Waiting … (the model lists the folder, canAdvance()) … advance() → … → Found or
//   Missing.
// An item with the path itself is taken before any item is descended into; an item located on
// the way comes before a link whose target is. The walk runs first matching case, then ignoring
// it, each time below the item given at the start and then from the top.
class FolderTreeFind {
public:
    enum class Step { Found, Waiting, Missing };

    // `model` owns the items and outlives the find; `below` invalid: from the top only.
    FolderTreeFind(FolderTreeModel& model, std::string path, const QModelIndex& below);

    Step advance();
    // The folder the walk stopped at has its rows, or is gone: advance() goes on from there.
    bool canAdvance() const;
    const std::string& path() const { return m_path; }
    QModelIndex found() const { return m_found; }

private:
    struct Start {
        QPersistentModelIndex item;
        bool top = false;
        bool ignoreCase = false;
    };
    struct Level {
        QPersistentModelIndex item;
        // The invisible root, which a persistent index cannot tell from an item that is gone.
        bool top = false;
        bool examined = false;
        // Items located on the way, then, from `firstLink`, links whose target is on the way.
        std::vector<QPersistentModelIndex> candidates;
        std::size_t firstLink = 0;
        std::size_t next = 0;
    };

    bool beginNextStart();
    void leaveLevel();
    // True with m_found set when a child of the level's item is the path itself.
    bool examine(Level& level);

    FolderTreeModel& m_model;  // owned by the folder tree, outlives the find
    const std::string m_path;
    std::string m_foldedPath;
    std::vector<Start> m_starts;
    std::size_t m_nextStart = 0;
    bool m_ignoreCase = false;
    std::vector<Level> m_levels;
    // Scan paths of the items the walk is inside: a link back to one would lead round in circles.
    std::vector<std::string> m_onTheWay;
    QPersistentModelIndex m_waitingFor;
    QPersistentModelIndex m_found;
};

}  // namespace tarvolin::views
