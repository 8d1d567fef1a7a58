#include "search/forms/conditioneditor.h"

#include "controls/halfwidthinput.h"
#include "controls/numedit.h"
#include "controls/qtext.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

namespace search {
namespace {

constexpr int kEntriesPerRow = 3;
constexpr int kListsPerRow = 9;

using controls::U;

} // namespace

void UseSearchEditLook(controls::TSaNumEdit& edit) {
    // 10944511 is $00A6FFFF, and the form files keep a colour's bytes as blue, green, red.
    controls::UseNumEditLook(edit, 12, QColor(0xFF, 0xFF, 0xA6));
}

namespace {

QWidget* MakeNumberControl(const NeraiField& f, QWidget* parent) {
    if (f.kind == NeraiFieldKind::Spin) {
        auto* spin = new controls::TSpinEdit(parent);
        spin->setRange(f.min, f.max);
        spin->setValue(static_cast<int>(f.initial));
        spin->setMinimumWidth(f.width > 2 ? 64 : 44);
        return spin;
    }
    auto* edit = new controls::TSaNumEditExC(parent);
    const bool decimal = f.kind == NeraiFieldKind::Decimal;
    UseSearchEditLook(*edit);
    edit->SetIntegerLength(3);
    edit->SetDecimalLength(decimal ? 1 : 0);
    edit->SetMinus(!decimal);
    edit->SetText(f.initialText);
    edit->setFixedWidth(52);
    return edit;
}

QListWidget* MakeList(const NeraiField& f, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (std::string_view item : f.items) list->addItem(U(item));
    const int frame = 2 * list->frameWidth();
    list->setFixedHeight(static_cast<int>(f.items.size()) * list->sizeHintForRow(0) + frame + 2);
    list->setFixedWidth(std::max(list->sizeHintForColumn(0) + frame + 8, 34));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QListWidget::customContextMenuRequested, list,
                     [list](const QPoint&) { NeraiConditionEditor::ToggleAll(list); });
    return list;
}

} // namespace

NeraiConditionEditor::NeraiConditionEditor(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("NeraiConditionEditor"));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    for (int half = 0; half < 2; ++half) box->addWidget(BuildHalf(half));
    box->addStretch(1);
}

QGroupBox* NeraiConditionEditor::BuildHalf(int half) {
    const auto hh = static_cast<std::size_t>(half);
    auto* group = new QGroupBox(U(NeraiHalfCaption(half)), this);
    group->setObjectName(QStringLiteral("NeraiGroup%1").arg(half));
    groups_[hh] = group;
    auto* box = new QVBoxLayout(group);

    // Numbers: a pair of fields with one caption is a range "from ～ to", a single field a
    // minimum "以上". Ranges and minimums keep their own rows, so both halves line up although
    // only the previous run has a finishing position.
    auto* ranges = new QGridLayout;
    ranges->setHorizontalSpacing(4);
    auto* minimums = new QHBoxLayout;
    std::array<QHBoxLayout*, 2> listRows{new QHBoxLayout, new QHBoxLayout};
    const std::span<const NeraiField> fields = NeraiFields();
    int range = 0;
    int listIndex = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const NeraiField& f = fields[i];
        const bool paired = i + 1 < fields.size() && fields[i + 1].kind == f.kind &&
                            fields[i + 1].caption == f.caption;
        if (f.control[hh].empty()) {
            if (paired) { // its place stays empty in this half
                ++i;
                ++range;
            }
            continue;
        }
        if (f.kind == NeraiFieldKind::Flags) {
            QListWidget* list = MakeList(f, group);
            list->setObjectName(U(f.control[hh]));
            controls_[hh][i] = list;
            auto* column = new QVBoxLayout;
            column->setSpacing(1);
            column->addWidget(new QLabel(U(f.caption), group));
            column->addWidget(list);
            column->addStretch(1);
            listRows[static_cast<std::size_t>(listIndex / kListsPerRow)]->addLayout(column);
            ++listIndex;
            continue;
        }
        QWidget* first = MakeNumberControl(f, group);
        first->setObjectName(U(f.control[hh]));
        controls_[hh][i] = first;
        if (!paired) {
            minimums->addWidget(new QLabel(U(f.caption), group));
            minimums->addWidget(first);
            minimums->addWidget(new QLabel(QStringLiteral("以上"), group));
            minimums->addSpacing(16);
            continue;
        }
        const int row = range / kEntriesPerRow;
        const int col = 5 * (range % kEntriesPerRow);
        ++range;
        ranges->addWidget(new QLabel(U(f.caption), group), row, col);
        ranges->addWidget(first, row, col + 1);
        ranges->addWidget(new QLabel(QStringLiteral("～"), group), row, col + 2, Qt::AlignCenter);
        ++i;
        QWidget* second = MakeNumberControl(fields[i], group);
        second->setObjectName(U(fields[i].control[hh]));
        controls_[hh][i] = second;
        ranges->addWidget(second, row, col + 3);
        ranges->setColumnMinimumWidth(col + 4, 16);
    }
    ranges->setColumnStretch(5 * kEntriesPerRow, 1);
    minimums->addStretch(1);
    box->addLayout(ranges);
    box->addLayout(minimums);
    for (QHBoxLayout* row : listRows) {
        row->addStretch(1);
        box->addLayout(row);
    }
    return group;
}

QWidget* NeraiConditionEditor::Control(int half, NeraiFieldId id) const {
    if (half < 0 || half > 1 || id < 0 || id >= kNeraiFieldCount) return nullptr;
    return controls_[static_cast<std::size_t>(half)][static_cast<std::size_t>(id)];
}

NeraiValues NeraiConditionEditor::Values() const {
    NeraiValues values = InitialNeraiValues();
    const std::span<const NeraiField> fields = NeraiFields();
    for (std::size_t hh = 0; hh < 2; ++hh) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            QWidget* w = controls_[hh][i];
            if (!w) continue;
            NeraiFieldValue& v = values[hh][i];
            switch (fields[i].kind) {
            case NeraiFieldKind::Spin: v.number = static_cast<QSpinBox*>(w)->value(); break;
            case NeraiFieldKind::Decimal:
                v.text = static_cast<controls::TSaNumEditExC*>(w)->Text();
                break;
            case NeraiFieldKind::Total:
                v.number = static_cast<controls::TSaNumEditExC*>(w)->GetTextAsInteger();
                break;
            case NeraiFieldKind::Flags: {
                auto* list = static_cast<QListWidget*>(w);
                for (int k = 0; k < list->count(); ++k)
                    v.selected[static_cast<std::size_t>(k)] = list->item(k)->isSelected();
                break;
            }
            }
        }
    }
    return values;
}

void NeraiConditionEditor::Load(const NeraiLoad& load) {
    const std::span<const NeraiField> fields = NeraiFields();
    for (std::size_t hh = 0; hh < 2; ++hh) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            QWidget* w = controls_[hh][i];
            if (!w) continue;
            const NeraiFieldLoad& v = load[hh][i];
            switch (fields[i].kind) {
            case NeraiFieldKind::Spin:
                if (v.number) static_cast<QSpinBox*>(w)->setValue(*v.number);
                break;
            case NeraiFieldKind::Decimal:
                static_cast<controls::TSaNumEditExC*>(w)->SetText(v.text);
                break;
            case NeraiFieldKind::Total:
                static_cast<controls::TSaNumEditExC*>(w)->SetTextAsInteger(v.number.value_or(0));
                break;
            case NeraiFieldKind::Flags: {
                auto* list = static_cast<QListWidget*>(w);
                for (int k = 0; k < list->count(); ++k) {
                    const auto kk = static_cast<std::size_t>(k);
                    list->item(k)->setSelected(kk < v.selected.size() && v.selected[kk]);
                }
                break;
            }
            }
        }
    }
}

void NeraiConditionEditor::ClearSet() {
    const std::span<const NeraiField> fields = NeraiFields();
    for (std::size_t hh = 0; hh < 2; ++hh) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            QWidget* w = controls_[hh][i];
            if (!w) continue;
            const NeraiField& f = fields[i];
            switch (f.kind) {
            case NeraiFieldKind::Spin:
                static_cast<QSpinBox*>(w)->setValue(static_cast<int>(f.initial));
                break;
            case NeraiFieldKind::Decimal:
                static_cast<controls::TSaNumEditExC*>(w)->SetTextAsFloat(f.initial);
                break;
            case NeraiFieldKind::Total:
                static_cast<controls::TSaNumEditExC*>(w)->SetTextAsInteger(
                    static_cast<int>(f.initial));
                break;
            case NeraiFieldKind::Flags: static_cast<QListWidget*>(w)->clearSelection(); break;
            }
        }
    }
}

void NeraiConditionEditor::ToggleAll(QListWidget* list) {
    const bool none = list->selectedItems().isEmpty();
    for (int k = 0; k < list->count(); ++k) list->item(k)->setSelected(none);
}

} // namespace search
