// What the graph tests share: a scan engine over an in-memory tree, a graph pane of a chosen
// size, and the modal message boxes that an action opens.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScrollBar>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>

#include "graphs/CScrollGraphBarView.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/FakeDirectoryReader.h"
#include "support/SettingsFixture.h"
#include "ui/Options.h"

namespace tarvolin::graphs::test {

using tarvolin::test::pumpUntil;

// The texts of the message boxes that `action` opens; each is answered at once.
template <class Action>
QStringList messageBoxTexts(QObject* context, Action&& action) {
    QStringList texts;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, context, [&texts] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts.append(box->text());
            box->accept();
        }
    });
    answer.start();
    action();
    return texts;
}

class GraphFixture : public tarvolin::test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        // A plain white background, so that drawn pixels can be told from it.
        ui::writeOption(ui::option::kUseGradientGraphBack, 0);
        ui::writeOption(ui::option::kGraphBackPrimary, QColor(255, 255, 255));
        engine.start();
    }
    void TearDown() override {
        view.reset();
        document->ClearChildren();
    }

    // A view whose viewport is `width` x `height` pixels, without scroll bars.
    CScrollGraphBarView& makeView(int width, int height) {
        view = std::make_unique<CScrollGraphBarView>(controller);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->resize(width, height);
        return *view;
    }
    void scan(const std::string& path) {
        bool done = false;
        const auto connection = QObject::connect(&controller, &scan::ScanController::scanComplete,
                                                 &controller, [&] { done = true; });
        controller.startFolderScan(path, true);
        ASSERT_TRUE(pumpUntil([&] { return done; }));
        QObject::disconnect(connection);
    }
    // `count` subfolders of `path` named d000, d001, ... with `size` bytes each.
    void addFolders(const std::string& path, int count, std::int64_t size) {
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "/d%03d", i);
            tree->file(path + name + "/f", size);
        }
    }
    // The centre line of row `row`: top margin, title band, then one pitch per row.
    static int rowY(int row) {
        return CScrollGraphView::kTopMargin + CScrollGraphView::kTitleBandHeight +
               CScrollGraphBarView::kRowPitch * (row + 1);
    }
    static constexpr int kPlotLeft =
        CScrollGraphView::kLabelColumnWidth + CScrollGraphView::kSideMargin;

    std::shared_ptr<tarvolin::test::FakeTree> tree = std::make_shared<tarvolin::test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<tarvolin::test::FakeDirectoryReader>(tree)};
    std::shared_ptr<scan::CTarvolinDoc> document = std::make_shared<scan::CTarvolinDoc>();
    scan::ScanController controller{engine, document};
    std::unique_ptr<CScrollGraphBarView> view;
};

}  // namespace tarvolin::graphs::test
