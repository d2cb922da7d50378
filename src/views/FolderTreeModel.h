// FolderTreeModel: the lazy folder hierarchy under "Home" and "Computer" for the folder tree.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <QAbstractItemModel>
#include <QIcon>
#include <QTimer>

#include "views/FolderTreeListing.h"
#include "views/FolderTreeNameOrder.h"

namespace tarvolin::drives {
class VolumeSource;
}

namespace tarvolin::views {

// User-interface thread; owned by CFolderTreeCtrl. Two top items: "Home" (the home folder) and
// "Computer" (no path), whose children are the fixed volumes, "/" first, read at construction.
// Every other item is a folder, hidden ones included, listed when it is first expanded:
//   fetchMore(item) → a FolderTreeListing reads it on a worker → the poll timer inserts the rows
//   (sorted by FolderTreeNameOrder) → the worker's look for a first subfolder in each row sets
//   the "+" buttons, in the same step when it is quick, a moment later when it is not.
// A symbolic link to a folder is an item of its own whose children are read from its target.
// Every item has an id that stays the same as long as the item exists.
class FolderTreeModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    enum class Kind { Home, Computer, Volume, Folder };

    // Bytes of the paths as QByteArray, so names that are not UTF-8 survive.
    enum Role {
        LocationRole = Qt::UserRole + 1,  // where the item sits: parent's location + "/" + name
        ScanPathRole,  // what a scan of it walks: a link's target, "" for Computer
        HiddenRole,
        LinkRole,
    };

    // An item whose rows have not arrived waits this long for the look into them before the
    // rows are shown with a "+" on each.
    static constexpr std::chrono::milliseconds kHintWait{200};
    // ensureListed() blocks the window: it waits less and lets the "+" buttons follow.
    static constexpr std::chrono::milliseconds kFoundHintWait{50};

    // `volumes` must outlive the model. `homePath` empty: the user's home folder.
    FolderTreeModel(const drives::VolumeSource& volumes, std::string homePath,
                    QObject* parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    QModelIndex homeIndex() const;
    QModelIndex computerIndex() const;
    Kind kind(const QModelIndex& index) const;
    std::string location(const QModelIndex& index) const;
    std::string scanPath(const QModelIndex& index) const;
    const std::string& homePath() const { return m_homePath; }

    std::uint64_t itemId(const QModelIndex& index) const;  // 0 for the invisible root
    QModelIndex indexOfId(std::uint64_t id) const;         // invalid once the item is gone

    bool isListed(const QModelIndex& index) const;
    // Lists the item's children now unless they are there, waiting at most `wait` for the worker.
    // False when they did not come in time; they are then inserted when they come.
    bool ensureListed(const QModelIndex& index, std::chrono::milliseconds wait);
    // Never waits: true when the item's children are there; otherwise its listing runs (started
    // now unless it is running already) and childrenListed() follows as soon as the rows are
    // read, ahead of the look into them.
    bool listNow(const QModelIndex& index);
    // Reads the children of a listed item again (Computer: the volumes): vanished folders go with
    // their subtrees, new ones come in, the others stay as they are with their own children.
    void refreshChildren(const QModelIndex& index);
    bool isListingPending() const { return !m_pending.empty(); }

signals:
    // Emitted after the rows of removed items are gone, with the ids of every item removed.
    void itemsRemoved(const std::unordered_set<std::uint64_t>& ids);
    void listingPendingChanged(bool pending);
    // The rows of the item's listing are in (its first one, or one that read it again).
    void childrenListed(const QModelIndex& index);

private:
    enum class ListState { NotListed, Listing, Listed };

    struct Node {
        Node* parent = nullptr;
        int row = 0;
        std::uint64_t id = 0;
        Kind kind = Kind::Folder;
        std::string name;  // bytes; for a volume its mount point
        QString display;
        std::string location;
        std::string scanPath;
        bool hidden = false;
        bool link = false;
        SubfolderHint hint = SubfolderHint::Unknown;
        ListState state = ListState::NotListed;
        std::shared_ptr<FolderTreeListing> listing;  // the worker reading the children, if any
        bool rowsApplied = false;                    // the listing's rows are in, hints may follow
        bool wanted = false;                         // a find waits for the rows
        std::vector<std::unique_ptr<Node>> children;
    };

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    std::unique_ptr<Node> makeNode(Node* parent, Kind kind, std::string name);
    std::unique_ptr<Node> makeFolder(Node* parent, const FolderTreeEntry& entry);
    void startListing(Node* node);
    void pollListings();
    // Puts a listing's rows (and hints, once ready) into the tree; `force` takes the rows
    // without waiting for the hints.
    void applyListing(Node* node, bool force);
    void mergeChildren(Node* node, std::vector<std::unique_ptr<Node>> fresh);
    void applyHints(Node* node, const std::vector<FolderTreeEntry>& entries);
    void forget(Node* node, std::unordered_set<std::uint64_t>& ids);
    void setPending(Node* node, bool pending);
    std::vector<std::unique_ptr<Node>> volumeNodes(Node* computer);
    QIcon iconOf(const Node& node) const;

    const drives::VolumeSource& m_volumes;  // owned by the application, outlives the model
    std::string m_homePath;
    Node m_root;
    std::uint64_t m_nextId = 1;
    std::unordered_map<std::uint64_t, Node*> m_byId;
    std::unordered_set<Node*> m_pending;  // items whose worker has not finished
    QTimer m_poll;
    FolderTreeNameOrder m_order;
    QIcon m_folderIcon;
    QIcon m_linkIcon;
    QIcon m_hiddenIcon;
    QIcon m_hiddenLinkIcon;
    QIcon m_homeIcon;
    QIcon m_computerIcon;
    QIcon m_driveIcon;
};

}  // namespace tarvolin::views
