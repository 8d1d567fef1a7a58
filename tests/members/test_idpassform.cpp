// The ID and password dialog as a user types into it.

#include "members/forms/idpassform.h"
#include "tests/members/downloadfixture.h"
#include "tests/support/widgets.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace testsupport;
using IdPassForm = DownloadFixture;

TEST_F(IdPassForm, TypedKeysAreFilteredAndTheSavedValuesComeBack) {
    QPointer<members::TIDPASSForm> form = new members::TIDPASSForm(context);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ID,パスワード登録"));
    form->show();
    auto* id = Find<QLineEdit>(*form, "IDedit");
    auto* pass = Find<QLineEdit>(*form, "PassEdit");
    EXPECT_EQ(id->text(), QString());
    EXPECT_EQ(pass->echoMode(), QLineEdit::Password);

    QTest::keyClicks(id, QStringLiteral("aA_B~+-9"));
    EXPECT_EQ(id->text(), QStringLiteral("a_~+-9"));
    QTest::keyClicks(id, QStringLiteral("cde")); // the ninth character does not fit
    EXPECT_EQ(id->text(), QStringLiteral("a_~+-9cd"));
    QTest::keyClicks(pass, QStringLiteral("pAa_s-s~1"));
    EXPECT_EQ(pass->text(), QStringLiteral("pass1"));
    QTest::keyClick(pass, Qt::Key_Backspace);
    QTest::keyClicks(pass, QStringLiteral("2"));
    EXPECT_EQ(pass->text(), QStringLiteral("pass2"));
    EXPECT_EQ(pass->displayText(), QStringLiteral("*****"));

    Find<QPushButton>(*form, "MsgBitBtn1")->click();
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"ID[a_~+-9cd]にて登録されました。"});
    const members::TIDPASSForm* stays = form.data(); // OK stores and stays
    ASSERT_NE(stays, nullptr);
    EXPECT_TRUE(stays->isVisible());
    QTest::keyClick(pass, Qt::Key_Return); // Enter reaches the default button
    EXPECT_EQ(notifier.messages.size(), 2u);

    Find<QPushButton>(*form, "MsgBitBtn2")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()); // it frees itself

    members::TIDPASSForm again(context);
    EXPECT_EQ(Find<QLineEdit>(again, "IDedit")->text(), QStringLiteral("a_~+-9cd"));
    EXPECT_EQ(Find<QLineEdit>(again, "PassEdit")->text(), QStringLiteral("pass2"));
    // What reaches an edit otherwise meets only the rules of the OK button.
    Find<QLineEdit>(again, "PassEdit")->setText(QStringLiteral("7ABC"));
    Find<QPushButton>(again, "MsgBitBtn1")->click();
    EXPECT_EQ(notifier.messages.back().substr(0, 30),
              std::string("恐れ入りますがパスワードの先頭文字に「7」は").substr(0, 30));
}
