// The result page (`TabSheet11`): the payouts of the race shown, one section a bet type.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"
#include "app/forms/raceheaderview.h"
#include "controls/fonts.h"
#include "controls/label3d.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <functional>

namespace app {

using mainform_parts::SetPanelColor;

namespace {

// The 3-D payout labels in their table order: win, place, bracket quinella, quinella, wide.
std::vector<int> Label3DNumbers() {
    std::vector<int> n;
    auto run = [&](int from, int to) {
        for (int i = from; i <= to; ++i) n.push_back(i);
    };
    for (int i : {19, 21, 23}) n.push_back(i);
    run(25, 30);
    for (int i : {32, 34, 36}) n.push_back(i);
    run(38, 49);
    for (int i : {51, 53, 55}) n.push_back(i);
    run(57, 62);
    for (int i : {64, 66, 68}) n.push_back(i);
    run(70, 75);
    for (int i : {77, 79, 81}) n.push_back(i);
    run(83, 100);
    return n;
}

} // namespace

QWidget* TMainForm::BuildResultPage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    const std::vector<int> numbers = Label3DNumbers();
    std::size_t next3D = 0;

    auto section = [&](QGridLayout* grid, int& row, const char* title, int rows,
                       const std::function<QWidget*(int row, int col)>& make) {
        auto* head = new QLabel(QString::fromUtf8(title), page);
        head->setAutoFillBackground(true);
        SetPanelColor(head, QColor(0, 0, 128));
        QPalette p = head->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        head->setPalette(p);
        grid->addWidget(head, row++, 0, 1, 3);
        for (int i = 0; i < rows; ++i, ++row)
            for (int c = 0; c < 3; ++c) grid->addWidget(make(i, c), row, c);
    };
    auto make3D = [&](int, int c) -> QWidget* {
        auto* l = new controls::TLabel3Dj(page);
        l->setObjectName(QStringLiteral("Label3D%1").arg(numbers[next3D++]));
        l->SetAutoSize(false);
        l->SetTextStyle(controls::TTextStyle::tsNone);
        l->SetBorder(true);
        l->SetBorderType(controls::TBorderType::btRecessed);
        l->SetColor(Qt::white);
        l->SetAlignment(c == 2 ? controls::TAlignment::taRightJustify
                               : controls::TAlignment::taCenter);
        l->SetLayout(controls::TextLayout::tlCenter);
        l->setMinimumSize(c == 2 ? 80 : 44, 18);
        l->setFont(controls::GothicFont(9));
        header_->ui.gLabel3DTable.push_back(l);
        return l;
    };
    auto makePlain = [&](const char* prefix) {
        return [&, prefix](int i, int c) -> QWidget* {
            static const char* kinds[] = {"", "N", "H"};
            auto* l = new QLabel(page);
            l->setObjectName(QString::fromLatin1(prefix).arg(QString::fromLatin1(kinds[c])) +
                             QString::number(i + 1));
            l->setFrameShape(QFrame::Panel);
            l->setFrameShadow(QFrame::Sunken);
            l->setAutoFillBackground(true);
            SetPanelColor(l, Qt::white);
            l->setAlignment(c == 2 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
            l->setMinimumSize(c == 2 ? 80 : (c == 0 ? 70 : 44), 18);
            l->setFont(controls::GothicFont(9));
            header_->ui.gPayoutLabels.push_back(l);
            return l;
        };
    };

    auto* left = new QGridLayout;
    left->setSpacing(2);
    int row = 0;
    section(left, row, "単勝", 3, make3D);
    section(left, row, "複勝", 5, make3D);
    section(left, row, "枠連", 3, make3D);
    auto* middle = new QGridLayout;
    middle->setSpacing(2);
    row = 0;
    section(middle, row, "馬連", 3, make3D);
    section(middle, row, "ワイド", 7, make3D);
    auto* right = new QGridLayout;
    right->setSpacing(2);
    row = 0;
    section(right, row, "馬単", 6, makePlain("UT%1Label"));
    section(right, row, "三連複", 3, makePlain("SF%1Label"));
    section(right, row, "三連単", 6, makePlain("ST%1label"));
    for (QGridLayout* g : {left, middle, right}) {
        auto* holder = new QVBoxLayout;
        holder->addLayout(g);
        holder->addStretch(1);
        columns->addLayout(holder);
    }
    columns->addStretch(1);
    return page;
}

} // namespace app
