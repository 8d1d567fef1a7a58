// The main window's menu bar and its two pop-up menus.

#include "app/forms/mainform.h"

#include "betting/forms/betpage.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace app {

QAction* TMainForm::MenuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("FileMenu"));
    QAction* jv = MenuItem(file, "JV1", QStringLiteral("JVデータ取得(&J)"));
    jv->setVisible(false);
    connect(jv, &QAction::triggered, this, &TMainForm::JVBtnClick);
    connect(MenuItem(file, "N1O1", QStringLiteral("1日分の全オッズを一括取得(&O)")),
            &QAction::triggered, this, &TMainForm::N1O1Click);
    connect(MenuItem(file, "T1", QStringLiteral("時系列オッズより取得(&T)")), &QAction::triggered,
            this, &TMainForm::T1Click);
    MenuItem(file, "FilePrintItem", QStringLiteral("出馬表印刷(&P)"));
    file->addSeparator();
    connect(MenuItem(file, "Exit1", QStringLiteral("終了(&X)")), &QAction::triggered, this,
            &TMainForm::QuitButtonClick);

    QMenu* csv = bar->addMenu(QStringLiteral("CSV出力(&S)"));
    csv->setObjectName(QStringLiteral("CsvMenu"));
    BuildExportMenuItems(csv);
    connect(MenuItem(csv, "N50", QStringLiteral("印")), &QAction::triggered, this, [this] {
        if (betPage_ && !Busy()) betPage_->N50Click();
    });
    QAction* n39 = MenuItem(csv, "N39", QStringLiteral("勝ち上り馬"));
    n39->setVisible(false);
    connect(n39, &QAction::triggered, this, &TMainForm::N39Click);

    QMenu* user = bar->addMenu(QStringLiteral("ﾕｰｻﾞｰ設定(&U)"));
    user->setObjectName(QStringLiteral("UserMenu"));
    connect(MenuItem(user, "K1", QStringLiteral("買い目設定(&K)")), &QAction::triggered, this,
            &TMainForm::K1Click);
    connect(MenuItem(user, "N18", QStringLiteral("投資金額設定")), &QAction::triggered, this,
            &TMainForm::N18Click);

    QMenu* folders = bar->addMenu(QStringLiteral("ﾌｫﾙﾀﾞ指定(&F)"));
    folders->setObjectName(QStringLiteral("FolderMenu"));
    connect(MenuItem(folders, "N12", QStringLiteral("時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&T)")),
            &QAction::triggered, this, &TMainForm::N12Click);
    connect(MenuItem(folders, "QVX1", QStringLiteral("QVX投票プラグイン２フォルダ指定")),
            &QAction::triggered, this, [this] {
                if (betPage_) betPage_->QVX1Click();
            });

    QMenu* option = bar->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    option->setObjectName(QStringLiteral("OptionMenu"));
    connect(MenuItem(option, "N8", QStringLiteral("データ自動取得時刻設定(&T)")),
            &QAction::triggered, this, &TMainForm::N8Click);
    QAction* n28 = MenuItem(option, "N28", QStringLiteral("BRIVEL買い目ﾌｫﾙﾀﾞ指定"));
    n28->setVisible(false);
    connect(n28, &QAction::triggered, this, &TMainForm::N28Click);
    QAction* n29 = MenuItem(option, "N29", QStringLiteral("朝時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定"));
    n29->setVisible(false);
    connect(n29, &QAction::triggered, this, &TMainForm::N29Click);
    MenuItem(option, "QVXFolder", QStringLiteral("投票プラグインﾌｫﾙﾀﾞ指定"))->setVisible(false);
    BuildExportFolderItem(option);
    hidelist = MenuItem(option, "hidelist", QStringLiteral("ﾃﾞｰﾀ読込後ﾘｽﾄを消す(&P)"));
    hidelist->setCheckable(true);
    hidelist->setVisible(false);
    connect(hidelist, &QAction::triggered, this, &TMainForm::hidelistClick);
    FoldHyo = MenuItem(option, "FoldHyo", QStringLiteral("異常数値表を折りたたむ"));
    FoldHyo->setCheckable(true);
    FoldHyo->setVisible(false);
    connect(FoldHyo, &QAction::triggered, this, &TMainForm::FoldHyoClick);

    // The mail menus are a maintainer's: the marker file shows them.
    QAction* mail = bar->addAction(QStringLiteral("ﾒｰﾙ設定"));
    mail->setObjectName(QStringLiteral("MailMenu"));
    mail->setVisible(false);
    QMenu* mailSet = bar->addMenu(QStringLiteral("メール設定"));
    mailSet->setObjectName(QStringLiteral("MailSetMenu"));
    mailSet->menuAction()->setVisible(false);
    N30 = MenuItem(mailSet, "N30", QStringLiteral("携帯へ転送する"));
    N30->setCheckable(true);
    connect(N30, &QAction::triggered, this, &TMainForm::N30Click);

    QMenu* master = bar->addMenu(QStringLiteral("開発用"));
    master->setObjectName(QStringLiteral("MenuMaster"));
    master->menuAction()->setVisible(false);
    MenuItem(master, "MenuDev", QStringLiteral("オッズ分布単日"));

    QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    connect(MenuItem(help, "C1", QStringLiteral("使用解説書(&C)")), &QAction::triggered, this,
            &TMainForm::HelpButtonClick);
    connect(MenuItem(help, "A1", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)...")), &QAction::triggered, this,
            &TMainForm::VerButton1Click);

    // The printed sheets' menu: nothing in this window opens it.
    auto* print = new QMenu(this);
    print->setObjectName(QStringLiteral("PrintMenu"));

    // The race card list's pop-up: the list's press chooses the runner and sets the captions.
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("PopupMenu1"));
    connect(MenuItem(popup, "R1", QStringLiteral("追跡馬に登録(&R)")), &QAction::triggered, this,
            &TMainForm::R1Click);
    MenuItem(popup, "UmaInfo1", QStringLiteral("馬情報:"));
    MenuItem(popup, "KishuInfo1", QStringLiteral("騎手情報:"));
    MenuItem(popup, "ChokyoInfo1", QStringLiteral("調教師情報:"));
}

} // namespace app
