#include "app/forms/aboutbox.h"

#include "controls/qtplatform.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace app {

namespace {

// The product picture: the name over a dusk sky and a track rail.
QPixmap ProductPicture(QSize size) {
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0.0, QColor(10, 20, 60));
    sky.setColorAt(0.7, QColor(120, 60, 30));
    sky.setColorAt(1.0, QColor(20, 60, 20));
    p.fillRect(pm.rect(), sky);
    p.setPen(QPen(QColor(230, 230, 230), 3));
    int rail = size.height() * 3 / 4;
    p.drawLine(0, rail, size.width(), rail - 20);
    QFont f = p.font();
    f.setPixelSize(40);
    f.setBold(true);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(QColor(255, 215, 0));
    p.drawText(pm.rect().adjusted(0, 0, 0, -size.height() / 3), Qt::AlignCenter,
               QStringLiteral("Kestrane"));
    f.setPixelSize(16);
    f.setItalic(false);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect().adjusted(0, size.height() / 4, 0, -size.height() / 6), Qt::AlignCenter,
               QStringLiteral("ケストレーン"));
    return pm;
}

} // namespace

TAboutBox::TAboutBox(const keiba::ProgramContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , context_(context)
    , version_(nullptr) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFixedSize(384, 292);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 368, 234);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::black);
    panel->setPalette(pal);

    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setGeometry(8, 8, 352, 190);
    picture->setPixmap(ProductPicture(picture->size()));

    version_ = new QLabel(panel);
    version_->setObjectName(QStringLiteral("Version"));
    version_->setGeometry(16, 170, 200, 24);
    QFont vf = version_->font();
    vf.setBold(true);
    vf.setUnderline(true);
    version_->setFont(vf);
    version_->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    version_->setText(QStringLiteral("Version"));

    auto* credit = new QLabel(panel);
    credit->setObjectName(QStringLiteral("Comments"));
    credit->setGeometry(8, 204, 352, 22);
    QFont cf = credit->font();
    cf.setBold(true);
    credit->setFont(cf);
    credit->setStyleSheet(QStringLiteral("color: rgb(0, 192, 0);"));
    credit->setText(QStringLiteral("Copyright (C) Kestrane project. All rights reserved."));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(300, 254, 75, 28);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* download = new QPushButton(QStringLiteral("最新版のダウンロードはこちら！"), this);
    download->setObjectName(QStringLiteral("DownloadBtn"));
    download->setGeometry(8, 254, 220, 28);
    download->setToolTip(
        QStringLiteral("最新版をインストールするときは本ソフトを終了してからお願いします。"));

    auto* home = new QPushButton(QStringLiteral("ホームページ"), this);
    home->setObjectName(QStringLiteral("HomePageBtn"));
    home->setGeometry(232, 254, 64, 28);
    home->hide();
    connect(home, &QPushButton::clicked, this, &TAboutBox::HomePageBtnClick);
    controls::NoImplicitDefaultButtons(*this);
}

void TAboutBox::HomePageBtnClick() {
    // The shell layer is the whole way to a browser here; there is no second handler to try.
    if (!context_.shell.Open(kMakerHomePage))
        context_.notifier.Information("ホームページの表示に失敗しました。");
}

} // namespace app
