#include "views/FolderTreeFind.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

#include "common/PathText.h"
#include "views/FolderTreeModel.h"

namespace tarvolin::views {
namespace {

std::string caseFolded(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path)).toCaseFolded().toUtf8().toStdString();
}

// Path identity on whole components: "/data" holds "/data/x" but not "/data2".
enum class Match { None, Below, Same };

Match matchPath(const std::string& candidate, const std::string& path, bool ignoreCase) {
    if (candidate.empty()) return Match::None;
    const std::string a = ignoreCase ? caseFolded(candidate) : candidate;
    if (a == path) return Match::Same;
    return isAtOrBelow(path, a) ? Match::Below : Match::None;
}

}  // namespace

FolderTreeFind::FolderTreeFind(FolderTreeModel& model, std::string path, const QModelIndex& below)
    : m_model(model), m_path(std::move(path)), m_foldedPath(caseFolded(m_path)) {
    for (const bool ignoreCase : {false, true}) {
        if (below.isValid()) m_starts.push_back({QPersistentModelIndex(below), false, ignoreCase});
        m_starts.push_back({QPersistentModelIndex(), true, ignoreCase});
    }
}

bool FolderTreeFind::canAdvance() const {
    return !m_waitingFor.isValid() || m_model.isListed(m_waitingFor);
}

bool FolderTreeFind::beginNextStart() {
    while (m_nextStart < m_starts.size()) {
        const Start& start = m_starts[m_nextStart++];
        if (!start.top && !start.item.isValid()) continue;
        m_ignoreCase = start.ignoreCase;
        m_onTheWay.clear();
        if (!start.top) m_onTheWay.push_back(m_model.scanPath(start.item));
        Level level;
        level.item = start.item;
        level.top = start.top;
        m_levels.push_back(std::move(level));
        return true;
    }
    return false;
}

// Every level but the first was entered with its item's scan path on the way.
void FolderTreeFind::leaveLevel() {
    m_levels.pop_back();
    if (!m_levels.empty()) m_onTheWay.pop_back();
}

FolderTreeFind::Step FolderTreeFind::advance() {
    m_waitingFor = QPersistentModelIndex();
    for (;;) {
        if (m_levels.empty() && !beginNextStart()) return Step::Missing;
        Level& level = m_levels.back();
        if (!level.examined) {
            // Removed with its parent's rows while the walk waited for it.
            if (!level.top && !level.item.isValid()) {
                leaveLevel();
                continue;
            }
            if (!m_model.listNow(level.item)) {
                m_waitingFor = level.item;
                return Step::Waiting;
            }
            level.examined = true;
            if (examine(level)) return Step::Found;
        }
        if (level.next == level.candidates.size()) {
            leaveLevel();
            continue;
        }
        const std::size_t at = level.next++;
        const QPersistentModelIndex candidate = level.candidates[at];
        if (!candidate.isValid()) continue;
        std::string scanPath = m_model.scanPath(candidate);
        // Paths of locations grow with every step down, so that walk ends; a link's target does
        // not.
        if (at >= level.firstLink &&
            std::find(m_onTheWay.begin(), m_onTheWay.end(), scanPath) != m_onTheWay.end())
            continue;
        m_onTheWay.push_back(std::move(scanPath));
        Level next;
        next.item = candidate;
        m_levels.push_back(std::move(next));  // `level` is not used past here
    }
}

bool FolderTreeFind::examine(Level& level) {
    const std::string& path = m_ignoreCase ? m_foldedPath : m_path;
    const QModelIndex parent = level.item;
    // Where an item sits counts before the target of a link above it, so a link back into the
    // same tree does not take the item away from its own place.
    QPersistentModelIndex sameTarget;
    std::vector<QPersistentModelIndex> links;
    for (int row = 0; row < m_model.rowCount(parent); ++row) {
        const QModelIndex child = m_model.index(row, 0, parent);
        // Computer has no path of its own: the volumes inside are the candidates.
        if (m_model.kind(child) == FolderTreeModel::Kind::Computer) {
            level.candidates.emplace_back(child);
            continue;
        }
        const Match byLocation = matchPath(m_model.location(child), path, m_ignoreCase);
        if (byLocation == Match::Same) {
            m_found = child;
            return true;
        }
        const Match byTarget = matchPath(m_model.scanPath(child), path, m_ignoreCase);
        if (byTarget == Match::Same && !sameTarget.isValid()) sameTarget = child;
        if (byLocation == Match::Below)
            level.candidates.emplace_back(child);
        else if (byTarget == Match::Below)
            links.emplace_back(child);
    }
    if (sameTarget.isValid()) {
        m_found = sameTarget;
        return true;
    }
    level.firstLink = level.candidates.size();
    level.candidates.insert(level.candidates.end(), links.begin(), links.end());
    return false;
}

}  // namespace tarvolin::views
