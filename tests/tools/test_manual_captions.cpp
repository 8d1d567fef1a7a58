// The user manual against the program a user sees. Every caption it names in 「」 stands where
// its sentence puts it: in the main window (メイン画面) unless the sentence, or the paragraph
// before the list it belongs to, opens another window (「…」ウィンドウ, 「…」を開きます, or a menu
// item that opens a dialog); a run of captions before タブ is the tabs of one tab bar there, and
// before ボタン buttons there. Every menu path "menu → item" is a visible item of a visible menu.
// A message the program shows may be quoted anywhere.

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

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace {

// A caption as a user reads it: without the mnemonic marks "(&P)" and "&", nor a trailing "...".
QString ShownText(QString text) {
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

const QString kMainWindow = QStringLiteral("メイン画面");

// What a user finds in one window.
struct Place {
    std::set<QString> captions; // every text: buttons, labels, tabs, list items, headings, menus
    std::set<QString> buttons;
    std::vector<std::set<QString>> tabBars;
    std::map<QString, std::set<QString>> menus; // visible items by menu
};

class Screens {
public:
    // The window under `name` (its title unless given): the controls of its own, not those of
    // the windows it owns.
    void Window(const QWidget& window, const QString& name = {}) {
        Place& place = places_[name.isEmpty() ? ShownText(window.windowTitle()) : name];
        Add(place.captions, window.windowTitle());
        for (const QWidget* w : window.findChildren<QWidget*>()) {
            if (w->window() != &window || !Reachable(w, &window)) continue;
            if (auto* b = qobject_cast<const QAbstractButton*>(w)) Button(place, b->text());
            if (auto* l = qobject_cast<const QLabel*>(w)) Add(place.captions, l->text());
            if (auto* g = qobject_cast<const QGroupBox*>(w)) Add(place.captions, g->title());
            if (auto* s = qobject_cast<const controls::TLbSpeedButton*>(w))
                Button(place, s->Caption());
            if (auto* l = qobject_cast<const controls::TLabel3Dj*>(w))
                Add(place.captions, l->Caption());
            if (auto* t = qobject_cast<const QTabWidget*>(w)) {
                std::set<QString>& bar = place.tabBars.emplace_back();
                for (int i = 0; i < t->count(); ++i)
                    if (t->isTabVisible(i)) {
                        Add(bar, t->tabText(i));
                        Add(place.captions, t->tabText(i));
                    }
            }
            if (auto* list = qobject_cast<const QListWidget*>(w))
                for (int i = 0; i < list->count(); ++i) Add(place.captions, list->item(i)->text());
            if (auto* grid = qobject_cast<const views::StringGrid*>(w))
                for (int c = 0; c < grid->Model()->ColCount(); ++c)
                    if (grid->ColWidth(c) >= 0) Add(place.captions, grid->Model()->Cells(c, 0));
            if (auto* bar = qobject_cast<const QMenuBar*>(w)) Menus(place, *bar);
        }
    }
    // A text the program shows in a message box.
    void Message(const QString& text) { Add(messages_, text); }
    // The window the menu item `item` opened when it was chosen.
    void Opened(const QString& item, const QString& window) { opened_[ShownText(item)] = window; }

    bool IsWindow(const QString& name) const { return places_.count(name) > 0; }
    const Place& At(const QString& window) const { return places_.at(window); }
    bool IsMessage(const QString& text) const { return messages_.count(text) > 0; }
    // The item of the main window's menu `menu` that `path` (what follows the arrow) starts with.
    QString Item(const QString& menu, const QString& path) const {
        auto it = At(kMainWindow).menus.find(menu);
        if (it != At(kMainWindow).menus.end())
            for (const QString& item : it->second)
                if (path.startsWith(item)) return item;
        return {};
    }
    QString OpenedBy(const QString& item) const {
        auto it = opened_.find(item);
        return it == opened_.end() ? QString() : it->second;
    }

private:
    static void Add(std::set<QString>& to, const QString& text) {
        if (!ShownText(text).isEmpty()) to.insert(ShownText(text));
    }
    static void Button(Place& place, const QString& text) {
        Add(place.buttons, text);
        Add(place.captions, text);
    }
    static void Menus(Place& place, const QMenuBar& bar) {
        for (QAction* top : bar.actions()) {
            if (!top->isVisible() || !top->menu()) continue;
            Add(place.captions, top->text());
            std::set<QString>& items = place.menus[ShownText(top->text())];
            for (QAction* a : top->menu()->actions())
                if (a->isVisible() && !a->isSeparator()) {
                    Add(place.captions, a->text());
                    Add(items, a->text());
                }
        }
    }
    std::map<QString, Place> places_;
    std::map<QString, QString> opened_;
    std::set<QString> messages_;
};

QString Manual() {
    std::ifstream in(KESTRANE_MANUAL_MD);
    std::stringstream text;
    text << in.rdbuf();
    return QString::fromStdString(text.str());
}

// Reads the manual line by line against the screens, failing the test for each caption or path
// that is not where the manual puts it.
class ManualReader {
public:
    explicit ManualReader(const Screens& screens)
        : screens_(screens) {}

    void Line(const QString& line) {
        if (line.startsWith(u'#')) {
            listWindow_ = kMainWindow;
            return;
        }
        if (line.trimmed().isEmpty()) return;
        const bool listItem = line.trimmed().startsWith(QStringLiteral("- "));
        window_ = listItem ? listWindow_ : kMainWindow;
        // A menu path, a run of captions with what follows it, or the main window named.
        static const QRegularExpression token(
            QStringLiteral("([^\\s：、。`「」]+) → ([^：、。`「」（]+?)(?= "
                           "で|[：、。`「（]|$)|((?:「[^」]+」)+)(の?タブ|"
                           "ボタン|ウィンドウ|を開きます)?|メイン画面"));
        for (auto m = token.globalMatch(line); m.hasNext();) {
            const QRegularExpressionMatch t = m.next();
            if (!t.captured(1).isEmpty())
                Path(t.captured(1), t.captured(2));
            else if (!t.captured(3).isEmpty())
                Run(t.captured(3), t.captured(4));
            else
                window_ = kMainWindow;
        }
        // A paragraph that opens a window speaks of it in the list that follows.
        if (!listItem) listWindow_ = window_;
    }
    int Captions() const { return captions_; }
    int Paths() const { return paths_; }

private:
    void Path(const QString& menu, const QString& path) {
        ++paths_;
        const QString item = screens_.Item(menu, path);
        EXPECT_FALSE(item.isEmpty()) << menu.toStdString() << " → " << path.toStdString();
        if (!screens_.OpenedBy(item).isEmpty()) window_ = screens_.OpenedBy(item);
    }
    void Run(const QString& run, const QString& after) {
        static const QRegularExpression quoted(QStringLiteral("「([^」]+)」"));
        QStringList captions;
        for (auto m = quoted.globalMatch(run); m.hasNext();) captions << m.next().captured(1);
        captions_ += static_cast<int>(captions.size());
        const Place& place = screens_.At(window_);
        const std::string where = window_.toStdString();
        if (after == QStringLiteral("ウィンドウ") || after == QStringLiteral("を開きます")) {
            // The window the sentence goes on in.
            for (const QString& c : captions)
                EXPECT_TRUE(screens_.IsWindow(c)) << "no window 「" << c.toStdString() << "」";
            if (screens_.IsWindow(captions.back())) window_ = captions.back();
        } else if (after.endsWith(QStringLiteral("タブ"))) {
            const bool oneBar = std::any_of(
                place.tabBars.begin(), place.tabBars.end(), [&](const std::set<QString>& bar) {
                    return std::all_of(captions.begin(), captions.end(),
                                       [&](const QString& c) { return bar.count(c) > 0; });
                });
            EXPECT_TRUE(oneBar) << run.toStdString() << " are not the tabs of one tab bar of "
                                << where;
        } else if (after.endsWith(QStringLiteral("ボタン"))) {
            for (const QString& c : captions)
                EXPECT_TRUE(place.buttons.count(c))
                    << "「" << c.toStdString() << "」 is no button of " << where;
        } else {
            for (const QString& c : captions)
                EXPECT_TRUE(place.captions.count(c) || screens_.IsMessage(c))
                    << "「" << c.toStdString() << "」 is not in " << where;
        }
    }

    const Screens& screens_;
    QString listWindow_ = kMainWindow;
    QString window_ = kMainWindow;
    int captions_ = 0;
    int paths_ = 0;
};

class ManualCaptions : public testsupport::SampleTest {};

TEST_F(ManualCaptions, EveryCaptionStandsWhereTheManualSaysAUserFindsIt) {
    const QString manual = Manual();
    ASSERT_FALSE(manual.isEmpty());
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    ASSERT_GT(Day().gDayRaceCount, 0);

    Screens screens;
    screens.Window(main, kMainWindow);
    for (QWidget* form : std::initializer_list<QWidget*>{forms->ShutugenForm, forms->RInputForm,
                                                         forms->NeraiGaitoForm, forms->DeSplForm})
        if (form) screens.Window(*form);
    // The dialogs the manual describes, as their commands open them.
    QString command;
    main.SetModalHookForTest([&](QDialog& dialog) {
        screens.Window(dialog);
        if (!command.isEmpty()) screens.Opened(command, ShownText(dialog.windowTitle()));
    });
    for (const char* name : {"N8", "N18", "K1", "GetXQdataKako", "ID1", "FilePrintItem"}) {
        QAction* item = Find<QAction>(name);
        command = item->text();
        item->trigger();
    }
    command.clear();
    Find<controls::TLbSpeedButton>("JVBtn")->Click();
    // The messages the manual quotes are the program's own.
    screens.Message(QString::fromUtf8(keiba::kOtherOperationRunning));
    screens.Message(QString::fromUtf8(members::kMsgDownloadFailed.data(),
                                      static_cast<qsizetype>(members::kMsgDownloadFailed.size())));

    ManualReader reader(screens);
    for (const QString& line : manual.split(u'\n')) reader.Line(line);
    EXPECT_GT(reader.Captions(), 50);
    EXPECT_GT(reader.Paths(), 10);
}

} // namespace
