// CPropertyPage: one page of a CTreePropSheet, which loads its values when first shown and
// writes them only if it was shown.
#pragma once

#include <QString>
#include <QWidget>

namespace tarvolin::ui {

// UI thread; owned by its sheet. The sheet calls, in this order: activate() each time the page
// is shown (the first call runs onInitDialog), then onOK() when the sheet is confirmed and the
// page was shown at least once. A page never shown never reads nor writes anything.
class CPropertyPage : public QWidget {
    Q_OBJECT

public:
    // `caption` is the page's place in the sheet's tree, levels separated by "::".
    explicit CPropertyPage(const QString& caption, QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    bool wasShown() const { return m_initialised; }
    void activate();

    // Writes the page's values back; called only for pages that were shown.
    virtual void onOK() = 0;

protected:
    // Builds nothing: the controls exist from construction. Loads their values.
    virtual void onInitDialog() = 0;

private:
    QString m_caption;
    bool m_initialised = false;
};

}  // namespace tarvolin::ui
