// CPropertyPageBase: what the report generator asks of each of its four pages.
#pragma once

#include <QString>
#include <QWidget>

namespace tarvolin::reports {

class ReportCollections;
class ReportListBase;

// A page widget on the UI thread, owned by the generator's sheet. `collections` is owned by
// whoever opened the generator and outlives it.
class CPropertyPageBase : public QWidget {
    Q_OBJECT

public:
    CPropertyPageBase(const QString& title, ReportCollections& collections,
                      QWidget* parent = nullptr);

    QString title() const { return m_title; }
    // Rebuilds the list from the collections (after a report scan completed).
    virtual void refreshReport() = 0;
    virtual ReportListBase* reportList() const = 0;
    // The page's list printed (with the wait cursor while it prints), or saved as text.
    void PrintReport();
    void ExportReport();

protected:
    ReportCollections& collections() const { return m_collections; }
    // The page's top row: its icon and what it shows.
    QWidget* makeDescription(const QString& text);

private:
    QString m_title;
    ReportCollections& m_collections;
};

}  // namespace tarvolin::reports
