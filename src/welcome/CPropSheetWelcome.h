// CPropSheetWelcome: "Welcome to Tarvolin", the seven-page introduction to the program.
#pragma once

#include <functional>

#include <QString>
#include <QWizard>

class QCheckBox;

namespace tarvolin::welcome {

class CGDIPlusStatic;

// UI thread; a stack object run with exec() by the main window at start-up or from the Help
// menu. Pages: welcome, Folder Browser, Drive Space, Details View, Graph View, File Reports,
// Finished. The Details View page's check box writes "ShowFolderFiles" at each click and hands
// the stored value to `showFilesChanged`; Finish writes the last page's check box to
// "ShowWelcomeScreen", any other way out writes nothing.
class CPropSheetWelcome final : public QWizard {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Welcome to Tarvolin";
    static constexpr int kPageCount = 7;
    enum PageIndex { kIntroPage = 0, kDetailsPage = 3, kReportsPage = 5, kFinishedPage = 6 };

    explicit CPropSheetWelcome(std::function<void(bool)> showFilesChanged,
                               QWidget* parent = nullptr);

    // The rich text of page `index`: its heading in large blue letters, then its paragraphs.
    static QString pageText(int index);
    QCheckBox* showFilesBox() const { return m_showFiles; }
    QCheckBox* showWelcomeBox() const { return m_showWelcome; }
    // The pictures of page `index`, top first.
    QList<CGDIPlusStatic*> pictures(int index) const;

    void accept() override;

private:
    QWizardPage* makePage(int index);

    std::function<void(bool)> m_showFilesChanged;
    QCheckBox* m_showFiles = nullptr;    // on the Details View page
    QCheckBox* m_showWelcome = nullptr;  // on the Finished page
};

}  // namespace tarvolin::welcome
