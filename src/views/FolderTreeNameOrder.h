// FolderTreeNameOrder: the order of folder names in the folder tree, as a file manager sorts.
#pragma once

#include <QCollator>
#include <QString>

namespace tarvolin::views {

// Letters compare ignoring case through the user's collation, runs of digits by their value
// ("file2" before "file10") whatever the locale; names that still tie are ordered by their
// code points, so two different names never compare equal. User-interface thread.
class FolderTreeNameOrder {
public:
    FolderTreeNameOrder();

    int compare(const QString& a, const QString& b) const;
    bool operator()(const QString& a, const QString& b) const { return compare(a, b) < 0; }

private:
    QCollator m_collator;
};

}  // namespace tarvolin::views
