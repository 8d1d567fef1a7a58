#pragma once
// The condition editor of the 成績検索 tab: the group boxes 本走条件指定 and 前走条件指定, each
// with the spin edits, numeric edits and list boxes of one half of a target condition set, built
// from the record's field table. The R-horse search reads the same controls.

#include "search/nerairecord.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QListWidget;

namespace controls {
class TSaNumEdit;
}

namespace search {

// The look of the R-horse search form's numeric edits: bold ＭＳ Ｐゴシック 12 pixels high on the
// form files' colour 10944511, a light yellow.
void UseSearchEditLook(controls::TSaNumEdit& edit);

class NeraiConditionEditor : public QWidget {
    Q_OBJECT
public:
    explicit NeraiConditionEditor(QWidget* parent = nullptr);

    // The controls as a save reads them.
    NeraiValues Values() const;
    // A loaded set: spin edits take only the numbers given, lists and numeric edits take all.
    void Load(const NeraiLoad& load);
    // `ClearSetBtnClick`: every list unselected, every number back to its start value (the
    // numeric edits receive numbers, so they show "1", "999.9", "0" and "-99").
    void ClearSet();

    // The control of a field, or null where the half has none. Spin fields are QSpinBox,
    // decimal and total fields controls::TSaNumEditExC, flag groups QListWidget.
    QWidget* Control(int half, NeraiFieldId id) const;
    QGroupBox* GroupBox(int half) const { return groups_[static_cast<std::size_t>(half)]; }

    // The right-click rule of the condition lists: select all when none is selected, otherwise
    // deselect all.
    static void ToggleAll(QListWidget* list);

private:
    QGroupBox* BuildHalf(int half);

    std::array<QGroupBox*, 2> groups_{};
    std::array<std::array<QWidget*, kNeraiFieldCount>, 2> controls_{};
};

} // namespace search
