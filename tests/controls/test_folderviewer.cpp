#include "controls/folderviewer.h"

#include "tests/support/fakes.h"
#include "tests/support/filedialogs.h"
#include "tests/support/tempdir.h"
#include "tests/support/waits.h"
#include "tests/support/widgets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace controls;
using testsupport::Find;
using testsupport::kHangGuardMs;
using testsupport::QPath;

namespace {

class FolderViewerTest : public ::testing::Test {
protected:
    FolderViewerTest() {
        std::filesystem::create_directories(temp_ / "odds");
        std::filesystem::create_directories(temp_ / "bets");
        viewer_.SetOpenDefault(true);
    }
    testsupport::RecordingNotifier notifier_;
    testsupport::TempDir temp_;
    TFolderViewerEx viewer_{notifier_};
};

} // namespace

TEST_F(FolderViewerTest, OkStoresTheChoiceAndCancelKeepsIt) {
    viewer_.SetCaption(QStringLiteral("時系列ｵｯｽﾞﾌｫﾙﾀﾞの指定"));
    viewer_.SetSelectedFolder(QPath(temp_ / "odds"));
    QString title, status;
    viewer_.SetExecHook([&](QFileDialog& d) {
        title = d.windowTitle();
        status = Find<QStatusBar>(d, "StatusBar")->currentMessage();
        d.setDirectory(QPath(temp_ / "bets"));
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(viewer_.Execute());
    EXPECT_EQ(title, QStringLiteral("時系列ｵｯｽﾞﾌｫﾙﾀﾞの指定"));
    EXPECT_EQ(status, QStringLiteral("選択ﾌｫﾙﾀﾞ　") + QPath(temp_ / "odds"));
    EXPECT_EQ(viewer_.Folder(), QPath(temp_ / "bets"));
    EXPECT_EQ(viewer_.SelectedFolder(), QPath(temp_ / "bets"));

    // The status line follows the selection; cancel keeps the choice.
    viewer_.SetExecHook([&](QFileDialog& d) {
        d.setDirectory(QPath(temp_ / "odds"));
        Q_EMIT d.currentChanged(QPath(temp_ / "odds"));
        status = Find<QStatusBar>(d, "StatusBar")->currentMessage();
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(viewer_.Execute());
    EXPECT_EQ(status, QStringLiteral("選択ﾌｫﾙﾀﾞ　") + QPath(temp_ / "odds"));
    EXPECT_EQ(viewer_.Folder(), QPath(temp_ / "bets"));
    EXPECT_EQ(viewer_.SelectedFolder(), QPath(temp_ / "bets"));
}

TEST_F(FolderViewerTest, OffScreenCoordinatesAreRefusedWithTheRange) {
    viewer_.SetLeft(10);
    viewer_.SetLeft(-1);
    EXPECT_EQ(viewer_.Left(), 10);
    viewer_.SetTop(1 << 20);
    EXPECT_EQ(viewer_.Top(), 0);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Stop boxes of their own caption, not information under the program's.
    using Box = std::pair<std::string, std::string>;
    EXPECT_EQ(notifier_.stops,
              (std::vector<Box>{
                  {"ﾌﾟﾛﾊﾟﾃｨ ｴﾗｰ", "設定値がｽｸﾘｰﾝ座標範囲 (0 ～ " + std::to_string(screen.width()) +
                                      ") を超えています。"},
                  {"ﾌﾟﾛﾊﾟﾃｨ ｴﾗｰ", "設定値がｽｸﾘｰﾝ座標範囲 (0 ～ " + std::to_string(screen.height()) +
                                      ") を超えています。"}}));
    EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(FolderViewerTest, ReopensWhereItWasLeftOrWherePositionSays) {
    viewer_.SetPosition(TDialogPosition::poDesigned);
    viewer_.SetLeft(50);
    viewer_.SetTop(60);
    QRect opened;
    viewer_.SetExecHook([&](QFileDialog& d) {
        opened = d.geometry();
        d.setGeometry(30, 40, 500, 420);
        return int(QDialog::Rejected);
    });
    viewer_.Execute();
    EXPECT_EQ(opened.topLeft(), QPoint(50, 60));
    viewer_.Execute();
    EXPECT_EQ(opened, QRect(30, 40, 500, 420));
    viewer_.SetUseSavedRect(false);
    viewer_.Execute();
    EXPECT_EQ(opened.topLeft(), QPoint(50, 60));
}

// A path typed into the dialog is taken with one press, of Return or of the choose button: no
// completion list pops up over the dialog to swallow the press, and nothing is completed
// beyond what was typed.
TEST_F(FolderViewerTest, ATypedPathIsTakenWithOnePress) {
    std::filesystem::create_directories(temp_ / "betsX");
    viewer_.SetSelectedFolder(QPath(temp_ / "odds"));
    bool popup = true;
    auto typeAndPress = [&](QFileDialog& d, bool button) {
        d.show();
        if (!QTest::qWaitForWindowExposed(&d)) return -1;
        auto* edit = Find<QLineEdit>(d, "fileNameEdit");
        edit->setFocus();
        QTest::keyClicks(edit, QPath(temp_ / "bets"));
        // a completer pops up once the folder's listing has come in, however late that is
        const QCompleter* completer = edit->completer();
        popup = completer != nullptr &&
                QTest::qWaitFor([&] { return completer->popup()->isVisible(); }, kHangGuardMs);
        if (button)
            QTest::mouseClick(Find<QDialogButtonBox>(d, "buttonBox")->buttons().first(),
                              Qt::LeftButton);
        else
            QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
        return d.result();
    };
    viewer_.SetExecHook([&](QFileDialog& d) { return typeAndPress(d, false); });
    ASSERT_TRUE(viewer_.Execute());
    EXPECT_FALSE(popup);
    EXPECT_EQ(viewer_.Folder(), QPath(temp_ / "bets"));

    viewer_.SetSelectedFolder(QPath(temp_ / "odds"));
    viewer_.SetExecHook([&](QFileDialog& d) { return typeAndPress(d, true); });
    ASSERT_TRUE(viewer_.Execute());
    EXPECT_FALSE(popup);
    EXPECT_EQ(viewer_.Folder(), QPath(temp_ / "bets"));
}

// Qt's file model wrote its sizes and dates in the desktop's locale and a folder's type in
// English: "Folder" and "7 Dec 2026" among Japanese headings.
TEST_F(FolderViewerTest, TheColumnsSpeakJapanese) {
    testsupport::JapaneseInForce japanese;
    ASSERT_TRUE(japanese.Translated()) << "qt6-translations-l10n is not installed";
    testsupport::SetModified(temp_ / "odds", QDateTime(QDate(2026, 11, 29), QTime(9, 5)));
    viewer_.SetSelectedFolder(QPath(temp_.path()));
    testsupport::FileDialogTexts texts;
    viewer_.SetExecHook([&](QFileDialog& d) {
        texts = testsupport::DetailTexts(d, QStringLiteral("odds"));
        return int(QDialog::Rejected);
    });
    viewer_.Execute();
    EXPECT_EQ(texts.headings, (QStringList{QStringLiteral("名前"), QStringLiteral("サイズ"),
                                           QStringLiteral("タイプ"), QStringLiteral("更新日")}));
    EXPECT_EQ(texts.row, (QStringList{QStringLiteral("odds"), QString(), QStringLiteral("フォルダ"),
                                      QStringLiteral("2026/11/29 9:05")}));
}
