// The main window's tool bar (`Panel1`) and the speed buttons the pages share its look with.

#include "app/forms/mainform.h"

#include "controls/speedbutton.h"

#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>

#include <algorithm>
#include <utility>

namespace app {

controls::TLbSpeedButton* TMainForm::ToolButton(const char* name, const QString& caption,
                                                const QString& hint) {
    auto* b = new controls::TLbSpeedButton;
    b->setObjectName(QString::fromLatin1(name));
    b->SetCaption(caption);
    controls::UseFormButtonLook(*b);
    // Wide enough for the bold caption it shows while the mouse is over it.
    const QFontMetrics hot(b->HotTrackFont());
    b->setFixedSize(std::max(64, hot.horizontalAdvance(caption) + 16), 26);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setStatusTip(hint);
    }
    return b;
}

QWidget* TMainForm::BuildToolBar() {
    auto* bar = new QFrame;
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(3);
    auto add = [&](const char* name, const char* caption, const char* hint, auto handler) {
        controls::TLbSpeedButton* b =
            ToolButton(name, QString::fromUtf8(caption), QString::fromUtf8(hint));
        if (handler) connect(b, &controls::TLbSpeedButton::OnClick, this, handler);
        row->addWidget(b);
        return b;
    };
    using H = void (TMainForm::*)();
    add("SpeedButton1", "ﾘｽﾄ", "開催日とレースの一覧を表示・非表示します",
        H(&TMainForm::SpeedButton1Click));
    add("JVBtn", "JVデータ取得", "JRA-VANからデータを取得します", H(&TMainForm::JVBtnClick));
    add("KekkaGetBtn", "結果情報", "レース結果データを取得します", H(&TMainForm::KekkaGetBtnClick));
    add("SokuhoOddsBtn", "速報ｵｯｽﾞ", "速報オッズを取得します", H(&TMainForm::SokuhoOddsBtnClick));
    add("NextRaceBtn", "直前ﾚｰｽ", "開催当日発走時刻の最も迫ったレースへ移動します",
        H(&TMainForm::NextRaceBtnClick));
    add("RSerchBtn", "R馬検索", "R馬を検索します", H(&TMainForm::RSerchBtnClick));
    add("HdInputBtn", "R馬手入力", "R馬を手入力します", H(&TMainForm::HdInputBtnClick));
    add("PrintBtn", "印刷", "出馬表を印刷します", H(nullptr));
    add("DirectReadBtn", "一気読み", "統計のない開催日をまとめて読み込みます",
        H(&TMainForm::DirectReadBtnClick))
        ->hide();
    for (auto [name, caption] : {std::pair{"TekiAnaBtn", "的中"},
                                 {"TekiAnaBtn2", "穴的中"},
                                 {"ShukeiBtn", "集計"},
                                 {"DeliverBtn", "配信"},
                                 {"TekiTextBtn", "的中TEXT1"},
                                 {"TekiText2Btn", "的中TEXT2"}})
        add(name, caption, "", H(nullptr))->hide();
    row->addStretch(1);
    add("HelpButton", "ヘルプ", "使用解説書を開きます", H(&TMainForm::HelpButtonClick));
    add("VerButton1", "ﾊﾞｰｼﾞｮﾝ情報", "バージョン情報を表示します", H(&TMainForm::VerButton1Click));
    add("QuitButton", "終了", "終了します", H(&TMainForm::QuitButtonClick));
    return bar;
}

} // namespace app
