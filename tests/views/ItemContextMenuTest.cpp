#include "views/ItemContextMenu.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/FileOperations.h"
#include "support/Unremovable.h"
#include "views/ItemActions.h"
#include "views/ItemOperations.h"

namespace tarvolin::views {
namespace {

using ::testing::ElementsAre;
using Command = ItemContextMenu::Command;

class FakeActions final : public ItemActions {
public:
    bool confirm(QWidget*, const QString&, const QString& question) override {
        questions.push_back(question.toStdString());
        return answer;
    }
    void showError(QWidget*, const QString&, const QString& text) override {
        errors.push_back(text.toStdString());
    }
    bool openUrl(const QUrl& url) override {
        opened.push_back(url.toEncoded().toStdString());
        return true;
    }
    void copyText(const QString& text) override { copied = text.toStdString(); }

    bool answer = true;
    std::vector<std::string> questions;
    std::vector<std::string> errors;
    std::vector<std::string> opened;
    std::string copied;
};

bool exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

void makeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
}

// Sets an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

class ItemContextMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        ItemActions::install(actions);
    }
    void TearDown() override {
        ItemActions::install(nullptr);
        // QDir cannot remove names that are not UTF-8.
        EXPECT_EQ(removePath(QFile::encodeName(temp.path()).toStdString()), 0);
    }
    std::string path(const std::string& relative) const {
        return QFile::encodeName(temp.path()).toStdString() + "/" + relative;
    }

    QTemporaryDir temp;
    std::shared_ptr<FakeActions> actions = std::make_shared<FakeActions>();
};

TEST_F(ItemContextMenuTest, TrashAndDeleteAreNeverOfferedWhereRemovalWouldTakeTooMuch) {
    makeFile(path("file"));
    const std::string home = QFile::encodeName(QDir::homePath()).toStdString();
    struct Case {
        std::vector<std::string> paths;
        bool removable;
    };
    const Case cases[] = {
        {{path("file")}, true},
        {{"/"}, false},
        {{home}, false},
        {{home + "/"}, false},
        {{parentPath(home)}, false},       // holds the home folder
        {{"/proc"}, false},                // a mount point of its own device
        {{path("file"), "/proc"}, false},  // one protected path is enough
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paths.back());
        const auto offered = ItemContextMenu(c.paths).commands();
        const bool trash = std::count(offered.begin(), offered.end(), Command::MoveToTrash) != 0;
        const bool remove = std::count(offered.begin(), offered.end(), Command::Delete) != 0;
        EXPECT_EQ(trash, c.removable);
        EXPECT_EQ(remove, c.removable);
        // Asking anyway does nothing.
        if (!c.removable) {
            EXPECT_EQ(ItemContextMenu(c.paths).run(Command::Delete, nullptr), QString());
            EXPECT_TRUE(actions->questions.empty());
        }
    }
    EXPECT_THAT(ItemContextMenu({path("file")}).commands(),
                ElementsAre(Command::Open, Command::OpenContainingFolder, Command::CopyPath,
                            Command::MoveToTrash, Command::Delete));
    EXPECT_THAT(ItemContextMenu({"/"}).commands(), ElementsAre(Command::Open, Command::CopyPath));
    EXPECT_THAT(ItemContextMenu({path("file")}, ItemContextMenu::Target::Drive).commands(),
                ElementsAre(Command::Open, Command::CopyPath));
    EXPECT_TRUE(ItemContextMenu({}).commands().empty());
    EXPECT_TRUE(exists(path("file")));

    // A home folder elsewhere, and a folder above it.
    EXPECT_TRUE(isProtectedPath(path("home/user"), path("home/user")));
    EXPECT_TRUE(isProtectedPath(path("home"), path("home/user")));
    EXPECT_FALSE(isProtectedPath(path("home/user/docs"), path("home/user")));
    EXPECT_FALSE(isProtectedPath(path("home/username"), path("home/user")));
}

TEST_F(ItemContextMenuTest, DeleteAsksFirstAndSaysDeleteOnlyWhenSomethingWent) {
    const std::string latin1 = path("caf\xe9.txt");  // not UTF-8
    makeFile(latin1);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path("tree/sub/deeper"))));
    makeFile(path("tree/sub/deeper/leaf"));
    makeFile(path("tree/top"));
    ASSERT_EQ(::symlink(path("caf\xe9.txt").c_str(), path("tree/link").c_str()), 0);

    actions->answer = false;
    EXPECT_EQ(ItemContextMenu({latin1}).run(Command::Delete, nullptr), QString());
    EXPECT_EQ(actions->questions.size(), 1u);
    EXPECT_TRUE(exists(latin1));

    actions->answer = true;
    // The link inside goes as a link: its target stays.
    EXPECT_EQ(ItemContextMenu({path("tree")}).run(Command::Delete, nullptr),
              ItemContextMenu::kVerbDelete);
    EXPECT_FALSE(exists(path("tree")));
    EXPECT_TRUE(exists(latin1));
    EXPECT_EQ(ItemContextMenu({latin1}).run(Command::Delete, nullptr),
              ItemContextMenu::kVerbDelete);
    EXPECT_FALSE(exists(latin1));
    EXPECT_EQ(actions->questions.size(), 3u);
    EXPECT_TRUE(actions->errors.empty());

    // Nothing there to delete: an error, and no "delete".
    EXPECT_EQ(ItemContextMenu({path("gone")}).run(Command::Delete, nullptr), QString());
    ASSERT_EQ(actions->errors.size(), 1u);
    EXPECT_THAT(actions->errors.front(), ::testing::HasSubstr("No such file or directory"));
}

using test::Unremovable;

TEST_F(ItemContextMenuTest, AFolderDeletedInPartStillCountsAsDeleted) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path("mixed/locked"))));
    makeFile(path("mixed/free"));
    makeFile(path("mixed/locked/kept"));
    Unremovable lock(path("mixed/locked/kept"));
    if (!lock.applied()) GTEST_SKIP() << "this file system cannot keep a file from removal";
    EXPECT_EQ(ItemContextMenu({path("mixed")}).run(Command::Delete, nullptr),
              ItemContextMenu::kVerbDelete);
    EXPECT_FALSE(exists(path("mixed/free")));
    EXPECT_TRUE(exists(path("mixed/locked/kept")));
    ASSERT_EQ(actions->errors.size(), 1u);
    EXPECT_THAT(actions->errors.front(), ::testing::HasSubstr("Could not delete"));

    // Nothing of it went: no "delete".
    actions->errors.clear();
    EXPECT_EQ(ItemContextMenu({path("mixed/locked/kept")}).run(Command::Delete, nullptr),
              QString());
    EXPECT_EQ(actions->errors.size(), 1u);
}

TEST_F(ItemContextMenuTest, TrashCreatesItsDataFolderAndAsksOnlyForFolders) {
    const std::string dataHome = path("data/share");  // does not exist yet
    ScopedEnv env("XDG_DATA_HOME", QByteArray::fromStdString(dataHome));
    makeFile(path("plain.txt"));
    makeFile(path("caf\xe9.txt"));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path("folder/inner"))));

    EXPECT_EQ(ItemContextMenu({path("plain.txt")}).run(Command::MoveToTrash, nullptr),
              ItemContextMenu::kVerbDelete);
    EXPECT_TRUE(actions->questions.empty());
    EXPECT_FALSE(exists(path("plain.txt")));
    EXPECT_TRUE(exists(dataHome + "/Trash/files/plain.txt"));

    // A name Qt's strings cannot carry goes to the same trash, byte for byte.
    EXPECT_EQ(ItemContextMenu({path("caf\xe9.txt")}).run(Command::MoveToTrash, nullptr),
              ItemContextMenu::kVerbDelete);
    EXPECT_FALSE(exists(path("caf\xe9.txt")));
    EXPECT_TRUE(exists(dataHome + "/Trash/files/caf\xe9.txt"));
    const int fd = ::open((dataHome + "/Trash/info/caf\xe9.txt.trashinfo").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    char text[512] = {};
    ASSERT_GT(::read(fd, text, sizeof text - 1), 0);
    ::close(fd);
    EXPECT_THAT(std::string(text),
                ::testing::HasSubstr("Path=" +
                                     QByteArray::fromStdString(path("caf%E9.txt")).toStdString()));

    actions->answer = false;
    EXPECT_EQ(ItemContextMenu({path("folder")}).run(Command::MoveToTrash, nullptr), QString());
    EXPECT_EQ(actions->questions.size(), 1u);
    EXPECT_TRUE(exists(path("folder/inner")));
    actions->answer = true;
    EXPECT_EQ(ItemContextMenu({path("folder")}).run(Command::MoveToTrash, nullptr),
              ItemContextMenu::kVerbDelete);
    EXPECT_FALSE(exists(path("folder")));
    EXPECT_TRUE(actions->errors.empty());
}

TEST_F(ItemContextMenuTest, ARelativeTrashFolderIsAFailureAndMovesNothing) {
    ScopedEnv env("XDG_DATA_HOME", "relative/share");
    makeFile(path("kept.txt"));
    EXPECT_EQ(ItemContextMenu({path("kept.txt")}).run(Command::MoveToTrash, nullptr), QString());
    EXPECT_TRUE(exists(path("kept.txt")));
    EXPECT_EQ(actions->errors.size(), 1u);
    EXPECT_FALSE(QDir("relative").exists());
}

TEST_F(ItemContextMenuTest, OpenCopyAndContainingFolderUseThePathsAsGiven) {
    const std::string latin1 = path("caf\xe9.txt");
    const std::string other = path("b.txt");
    ItemContextMenu menu({latin1, other});
    EXPECT_EQ(menu.run(Command::Open, nullptr), ItemContextMenu::kVerbOpen);
    const std::string folderUrl = QUrl::fromLocalFile(temp.path()).toEncoded().toStdString();
    EXPECT_THAT(actions->opened, ElementsAre(folderUrl + "/caf%E9.txt", folderUrl + "/b.txt"));

    actions->opened.clear();
    EXPECT_EQ(menu.run(Command::OpenContainingFolder, nullptr), ItemContextMenu::kVerbOpenFolder);
    EXPECT_THAT(actions->opened, ElementsAre(folderUrl));  // once for the two

    EXPECT_EQ(ItemContextMenu({other, "/x"}).run(Command::CopyPath, nullptr),
              ItemContextMenu::kVerbCopy);
    EXPECT_EQ(actions->copied, other + "\n/x");
    EXPECT_EQ(ItemContextMenu::commandText(Command::Delete), "&Delete...");
}

}  // namespace
}  // namespace tarvolin::views
