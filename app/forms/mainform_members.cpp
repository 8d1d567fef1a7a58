// The members site: the download and purchase menus, the tool button ｹｽﾄﾚｰﾝﾃﾞｰﾀ, the ID and
// password dialog, and the forecast and sample downloads the window runs itself.

#include "app/forms/mainform.h"

#include "app/forms/datacheckpage.h"
#include "app/forms/fetchhost.h"

#include "controls/speedbutton.h"
#include "members/browser.h"
#include "members/forms/dldataform.h"
#include "members/forms/idpassform.h"
#include "members/site.h"
#include "search/forms/shutugenform.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>

namespace app {
namespace {

// The window's side of its downloads: the busy cursor, balanced with the fetches', the commands
// that start one, and the window kept painted (its close asks the download to end).
class MainDownloadView final : public members::DownloadView {
public:
    explicit MainDownloadView(fetch::FetchHost& fetch)
        : fetch_(fetch) {}
    void SetBusyCursor(bool busy) override { fetch_.SetBusyCursor(busy); }
    // The download holds the owner of long operations, whose taking disables the commands.
    void SetDownloadActionsEnabled(bool) override {}
    bool ProcessMessages() override {
        fetch_.ProcessMessages();
        return false;
    }

private:
    fetch::FetchHost& fetch_;
};

} // namespace

void TMainForm::BuildMembersCommands() {
    QMenuBar* bar = menuBar();
    auto* download = new QMenu(QStringLiteral("ケストレーンデータダウンロード"), bar);
    download->setObjectName(QStringLiteral("XQDataMenu"));
    connect(MenuItem(download, "GetXQdata1", QStringLiteral("予想(最新)データ")),
            &QAction::triggered, this, &TMainForm::GetXQdata1Click);
    connect(MenuItem(download, "GetXQdataKako", QStringLiteral("過去データ")), &QAction::triggered,
            this, &TMainForm::GetXQdataKakoClick);
    QAction* n47 = MenuItem(download, "N47", QStringLiteral("サンプルデータ"));
    n47->setVisible(false);
    connect(n47, &QAction::triggered, this, &TMainForm::N47Click);

    auto* buy = new QMenu(QStringLiteral("ケストレーンデータ購入"), bar);
    buy->setObjectName(QStringLiteral("XQBuyMenu"));
    connect(MenuItem(buy, "N48", QStringLiteral("予想(最新)データ")), &QAction::triggered, this,
            &TMainForm::N48Click);
    QAction* n49 = MenuItem(buy, "N49", QStringLiteral("過去データ"));
    n49->setVisible(false);
    connect(n49, &QAction::triggered, this, &TMainForm::N49Click);

    // Beside the file menu, where the other data commands are.
    QAction* before = nullptr;
    if (auto* csv = findChild<QMenu*>(QStringLiteral("CsvMenu"))) before = csv->menuAction();
    bar->insertMenu(before, download);
    bar->insertMenu(before, buy);

    if (auto* option = findChild<QMenu*>(QStringLiteral("OptionMenu")))
        connect(MenuItem(option, "ID1", QStringLiteral("ｹｽﾄﾚｰﾝﾃﾞｰﾀ取得ID,ﾊﾟｽﾜｰﾄﾞ設定")),
                &QAction::triggered, this, &TMainForm::ID1Click);

    auto* panel = findChild<QFrame*>(QStringLiteral("Panel1"));
    auto* row = panel ? qobject_cast<QHBoxLayout*>(panel->layout()) : nullptr;
    if (!row) return;
    controls::TLbSpeedButton* button = ToolButton("XQDataBtn", QStringLiteral("ｹｽﾄﾚｰﾝﾃﾞｰﾀ"), {});
    connect(button, &controls::TLbSpeedButton::OnClick, this, &TMainForm::GetXQdata1Click);
    int jv = row->indexOf(panel->findChild<QWidget*>(QStringLiteral("JVBtn")));
    row->insertWidget(jv + 1, button);
}

members::Downloads& TMainForm::MembersDownloads() {
    if (!downloads_)
        downloads_ = std::make_unique<members::Downloads>(
            context_, operations_, members::SiteAccess{members::SiteBaseUrl(), {}}, true);
    return *downloads_;
}

void TMainForm::GetXQdata1Click() {
    MainDownloadView view(*fetchHost_);
    MembersDownloads().Forecast(view, [this] { RereadShutugenDay(); });
}

void TMainForm::N47Click() {
    MainDownloadView view(*fetchHost_);
    MembersDownloads().Sample(view);
}

void TMainForm::N48Click() {
    members::OpenPurchasePage(context_,
                              MembersDownloads().Site().baseUrl + members::ForecastPurchasePath());
}

void TMainForm::GetXQdataKakoClick() {
    if (dlDataForm_ && Free()) ExecModal(*dlDataForm_);
}

void TMainForm::N49Click() {
    GetXQdataKakoClick();
}

// The dialog frees itself when it closes.
void TMainForm::ID1Click() {
    auto* form = new members::TIDPASSForm(context_, this);
    ExecModal(*form);
}

// The R-horse form's data-check tab lists the days of VZK again (a forecast brings a new one) and
// reads the day the user chose again.
void TMainForm::RereadShutugenDay() {
    if (dataCheckPage_) dataCheckPage_->RereadDay();
}

} // namespace app
