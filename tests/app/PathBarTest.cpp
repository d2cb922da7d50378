#include "app/PathBar.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include "support/QtPrinters.h"
#include "ui/CHistoryCombo.h"

namespace tarvolin::app {
namespace {

// Every way of asking for a folder asks once; typing and leaving the field asks nothing.
TEST(PathBar, EachActionNavigatesOnceAndLeavingTheFieldNotAtAll) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new PathBar(&window);
    auto* elsewhere = new QLineEdit(&window);
    layout->addWidget(bar);
    layout->addWidget(elsewhere);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ui::CHistoryCombo* combo = bar->combo();
    combo->addItem(QStringLiteral("/vanished"));
    combo->addItem(QStringLiteral("/other"));
    QLineEdit* edit = combo->lineEdit();
    QSignalSpy asked(bar, &PathBar::navigateRequested);
    // Keys go where the window sends them: to the combo, which has the focus and hands them on
    // to its field.
    const auto typeInto = [&](const QString& text) {
        combo->setFocus();
        edit->clear();
        QTest::keyClicks(combo, text);
        EXPECT_EQ(QApplication::focusWidget(), combo);
    };
    const auto takeAsked = [&asked] {
        QStringList texts;
        for (const QList<QVariant>& call : asked)
            texts.append(call.front().toString());
        asked.clear();
        return texts;
    };

    // Enter on a text that equals a history entry.
    typeInto(QStringLiteral("/other"));
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(takeAsked(), QStringList{QStringLiteral("/other")});

    typeInto(QStringLiteral("/vanished"));
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(takeAsked(), QStringList{QStringLiteral("/vanished")});

    // Typed, then the focus goes elsewhere.
    typeInto(QStringLiteral("/other"));
    elsewhere->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(elsewhere->hasFocus());
    EXPECT_EQ(takeAsked(), QStringList{});

    bar->findChild<QToolButton*>()->click();
    EXPECT_EQ(takeAsked(), QStringList{QStringLiteral("/other")});

    // An entry chosen from the open list.
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    list->setCurrentIndex(combo->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(takeAsked(), QStringList{QStringLiteral("/vanished")});
}

}  // namespace
}  // namespace tarvolin::app
