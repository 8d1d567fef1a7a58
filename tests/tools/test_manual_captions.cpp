// The user manual against the program a user sees: every caption it names in 「」 is on a
// visible control, tab, list, grid heading or window of the main window or of a form the manual
// describes, or is a message the program shows; every menu path "menu → item" it names is a
// visible item of a visible menu.

#include "app/forms/mainform.h"
#include "controls/label3d.h"
#include "controls/speedbutton.h"
#include "keiba/operations.h"
#include "members/forms/dldataform.h"
#include "members/site.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/rinputform.h"
#include "search/forms/shutugenform.h"
#include "tests/app/mainfixture.h"
#include "views/forms/desplform.h"
#include "views/grid.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStackedWidget>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

// A caption as a user reads it: without the mnemonic marks "(&P)" and "&", nor a trailing "...".
QString Shown(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    text.remove(mnemonic);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QChar(u'&'));
    text.replace(QChar(u'\x01'), QChar(u'&'));
    if (text.endsWith(QStringLiteral("..."))) text.chop(3);
    return text.trimmed();
}

// Whether a user can bring the widget into view: nothing between it and the window is hidden,
// but for the pages of a tab control whose tab is shown.
bool Reachable(const QWidget* w, const QWidget* window) {
    for (; w && w != window; w = w->parentWidget()) {
        if (!w->isHidden()) continue;
        auto* stack = qobject_cast<const QStackedWidget*>(w->parentWidget());
        auto* tabs = stack ? qobject_cast<const QTabWidget*>(stack->parentWidget()) : nullptr;
        if (!tabs) return false;
        const int i = tabs->indexOf(const_cast<QWidget*>(w));
        if (i < 0 || !tabs->isTabVisible(i)) return false;
    }
    return true;
}

class Captions {
public:
    void Window(const QWidget& window) {
        Add(window.windowTitle());
        for (const QWidget* w : window.findChildren<QWidget*>()) {
            if (!Reachable(w, &window)) continue;
            if (auto* b = qobject_cast<const QAbstractButton*>(w)) Add(b->text());
            if (auto* l = qobject_cast<const QLabel*>(w)) Add(l->text());
            if (auto* g = qobject_cast<const QGroupBox*>(w)) Add(g->title());
            if (auto* s = qobject_cast<const controls::TLbSpeedButton*>(w)) Add(s->Caption());
            if (auto* l = qobject_cast<const controls::TLabel3Dj*>(w)) Add(l->Caption());
            if (auto* t = qobject_cast<const QTabWidget*>(w))
                for (int i = 0; i < t->count(); ++i)
                    if (t->isTabVisible(i)) Add(t->tabText(i));
            if (auto* list = qobject_cast<const QListWidget*>(w))
                for (int i = 0; i < list->count(); ++i) Add(list->item(i)->text());
            if (auto* grid = qobject_cast<const views::StringGrid*>(w))
                for (int c = 0; c < grid->Model()->ColCount(); ++c)
                    if (grid->ColWidth(c) >= 0) Add(grid->Model()->Cells(c, 0));
            if (auto* bar = qobject_cast<const QMenuBar*>(w)) Menus(*bar);
        }
    }
    void Add(const QString& text) {
        if (!Shown(text).isEmpty()) captions_.insert(Shown(text));
    }
    bool Has(const QString& caption) const { return captions_.count(caption) > 0; }
    // A visible item of the visible menu `menu` that `path` (what follows the arrow) starts with.
    bool HasItem(const QString& menu, const QString& path) const {
        auto it = items_.find(menu);
        if (it == items_.end()) return false;
        for (const QString& item : it->second)
            if (path.startsWith(item)) return true;
        return false;
    }

private:
    void Menus(const QMenuBar& bar) {
        for (QAction* top : bar.actions()) {
            if (!top->isVisible() || !top->menu()) continue;
            Add(top->text());
            std::set<QString>& items = items_[Shown(top->text())];
            for (QAction* a : top->menu()->actions())
                if (a->isVisible() && !a->isSeparator()) {
                    Add(a->text());
                    items.insert(Shown(a->text()));
                }
        }
    }
    std::set<QString> captions_;
    std::map<QString, std::set<QString>> items_;
};

QString Manual() {
    std::ifstream in(KESTRANE_MANUAL_MD);
    std::stringstream text;
    text << in.rdbuf();
    return QString::fromStdString(text.str());
}

class ManualCaptions : public testsupport::SampleTest {};

TEST_F(ManualCaptions, EveryCaptionAndMenuPathTheManualNamesIsOneAUserFinds) {
    const QString manual = Manual();
    ASSERT_FALSE(manual.isEmpty());
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    ASSERT_GT(Day().gDayRaceCount, 0);

    Captions shown;
    shown.Window(main);
    for (QWidget* form : std::initializer_list<QWidget*>{forms->ShutugenForm, forms->RInputForm,
                                                         forms->NeraiGaitoForm, forms->DeSplForm})
        if (form) shown.Window(*form);
    // The dialogs the manual describes, as their commands open them.
    main.SetModalHookForTest([&](QDialog& dialog) { shown.Window(dialog); });
    for (const char* command : {"N8", "N18", "K1", "GetXQdataKako", "ID1"})
        Find<QAction>(command)->trigger();
    for (const char* button : {"JVBtn", "PrintBtn"})
        Find<controls::TLbSpeedButton>(button)->Click();
    // The messages the manual quotes are the program's own.
    shown.Add(QString::fromUtf8(keiba::kOtherOperationRunning));
    shown.Add(QString::fromUtf8(members::kMsgDownloadFailed.data(),
                                static_cast<qsizetype>(members::kMsgDownloadFailed.size())));

    static const QRegularExpression quoted(QStringLiteral("「([^」]+)」"));
    int captions = 0;
    for (auto m = quoted.globalMatch(manual); m.hasNext(); ++captions) {
        const QString caption = m.next().captured(1);
        EXPECT_TRUE(shown.Has(caption)) << "「" << caption.toStdString() << "」";
    }
    EXPECT_GT(captions, 50);

    static const QRegularExpression path(QStringLiteral("([^\\s：、。`]+) → ([^\\n]+)"));
    int paths = 0;
    for (auto m = path.globalMatch(manual); m.hasNext(); ++paths) {
        const QRegularExpressionMatch p = m.next();
        EXPECT_TRUE(shown.HasItem(p.captured(1), p.captured(2)))
            << p.captured(1).toStdString() << " → " << p.captured(2).toStdString();
    }
    EXPECT_GT(paths, 10);
}

} // namespace
