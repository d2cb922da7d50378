#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLineEdit>
#include <QTemporaryDir>

#include "GraphTestSupport.h"
#include "graphs/CScrollGraphBarView.h"
#include "graphs/GraphTexts.h"

namespace tarvolin::graphs::test {
namespace {

constexpr char kLead[] =
    "An error has occurred during program execution.\nProgram error description: ";

// A view whose images cannot be allocated, as when the graph is too large for memory.
class RefusingBarView final : public CScrollGraphBarView {
public:
    using CScrollGraphBarView::CScrollGraphBarView;

protected:
    QImage createGraphImage(const QSize&) override { return QImage(); }
};

class GraphImageExportTest : public GraphFixture {
protected:
    void SetUp() override {
        GraphFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        tree->file("/E/a/f", 3000).file("/E/b/f", 200).file("/E/c/f", 10);
        scan("/E");
        makeView(640, 100);
    }
    QString file(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    const int height = CScrollGraphBarView::graphHeight(3);
};

TEST_F(GraphImageExportTest, EachSupportedExtensionWritesItsFormatAtTheGraphSize) {
    const struct {
        const char* name;
        const char* format;
    } cases[] = {
        {"graph.jpg", "jpeg"}, {"graph.jpeg", "jpeg"}, {"graph.png", "png"},
        {"graph.bmp", "bmp"},  {"graph.tiff", "tiff"},
    };
    for (const auto& c : cases) {
        const QString path = file(QString::fromUtf8(c.name));
        const QStringList messages =
            messageBoxTexts(view.get(), [&] { view->saveGraphImageAs(path); });
        EXPECT_TRUE(messages.isEmpty()) << c.name << ": " << messages.join(' ').toStdString();
        QImageReader reader(path);
        EXPECT_EQ(reader.format().toStdString(), c.format) << c.name;
        EXPECT_EQ(reader.size(), QSize(640, height)) << c.name;
    }
}

TEST_F(GraphImageExportTest, OtherExtensionsAreRefusedAndNothingIsWritten) {
    for (const char* name : {"graph.JPG", "graph.tif", "graph.Png", "graph", "dots.png/graph"}) {
        const QString path = file(QString::fromUtf8(name));
        const QStringList messages =
            messageBoxTexts(view.get(), [&] { view->saveGraphImageAs(path); });
        EXPECT_EQ(messages, QStringList{QString::fromUtf8(kUnsupportedImageTypeText)}) << name;
        EXPECT_FALSE(QFileInfo::exists(path)) << name;
    }
}

TEST_F(GraphImageExportTest, AFileThatCannotBeWrittenShowsTheSaveError) {
    const QString path = file(QStringLiteral("missing/graph.png"));
    const QStringList messages = messageBoxTexts(view.get(), [&] { view->saveGraphImageAs(path); });
    EXPECT_EQ(messages, QStringList{QString::fromUtf8(kLead) +
                                    QStringLiteral("Failed to save image to specified path (") +
                                    path + QLatin1Char(')')});
}

TEST_F(GraphImageExportTest, AnImageThatCannotBeDrawnWritesNothingAndKeepsTheClipboard) {
    RefusingBarView refusing(controller);
    refusing.resize(640, 100);
    const QString expected = QStringLiteral(
        "Unexpected error during drawing operation [code: 3]. Please report this incident to "
        "support@tarvolin.example");

    const QString path = file(QStringLiteral("graph.png"));
    try {
        refusing.DrawGraphToFile(path, QStringLiteral("image/png"));
        ADD_FAILURE() << "an image that could not be drawn was reported as written";
    } catch (const GraphDrawingError& error) {
        EXPECT_EQ(error.code(), 3);
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    QStringList messages = messageBoxTexts(&refusing, [&] { refusing.saveGraphImageAs(path); });
    EXPECT_EQ(messages, QStringList{expected});
    EXPECT_FALSE(QFileInfo::exists(path));

    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    messages = messageBoxTexts(&refusing, [&] { refusing.CopyGraphImage(); });
    EXPECT_EQ(messages, QStringList{expected});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
}

TEST_F(GraphImageExportTest, CopyPutsTheWholeGraphOnTheClipboard) {
    QGuiApplication::clipboard()->clear();
    view->CopyGraphImage();
    // The window is 100 pixels high; the picture is the whole graph.
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(640, height));
}

TEST_F(GraphImageExportTest, SaveDialogOffersTheFourTypesAndAddsTheChosenTypesExtension) {
    QStringList offered;
    // Answers the dialog with a name typed without extension, after the user chose `filter`.
    const auto answer = [&](const QString& name, const QString& filter) {
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, view.get(), [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* field = dialog == nullptr
                              ? nullptr
                              : dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (field == nullptr) return;
            poll.stop();
            offered = dialog->nameFilters();
            if (!filter.isEmpty()) {
                dialog->selectNameFilter(filter);
                emit dialog->filterSelected(filter);
            }
            // Typed into the name field, as the user would, then Save.
            dialog->setDirectory(dir.path());
            field->setText(name);
            static_cast<QDialog*>(dialog)->accept();
        });
        poll.start();
        const QStringList messages = messageBoxTexts(view.get(), [&] { view->SaveGraphImage(); });
        EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    };

    answer(QStringLiteral("first"), QString());
    EXPECT_EQ(
        offered,
        (QStringList{QStringLiteral("JPEG File (*.jpg)"), QStringLiteral("PNG File (*.png)"),
                     QStringLiteral("Bitmap File (*.bmp)"), QStringLiteral("Tiff File (*.tiff)")}));
    EXPECT_EQ(QImageReader(file(QStringLiteral("first.jpg"))).format(), QByteArray("jpeg"));

    answer(QStringLiteral("second"), QStringLiteral("PNG File (*.png)"));
    EXPECT_EQ(QImageReader(file(QStringLiteral("second.png"))).format(), QByteArray("png"));
}

}  // namespace
}  // namespace tarvolin::graphs::test
