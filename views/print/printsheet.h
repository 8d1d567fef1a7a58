#pragma once
// The print sequence every printed sheet follows: the day's race list must not be empty; a
// print form is made for this print, the sheet is drawn into its preview, its page list is
// filled and the form is shown modally; closing it puts the printer back on A4 portrait.

#include "keiba/context.h"
#include "raceday/daymodel.h"
#include "views/print/sheets.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QDialog;
class QWidget;

namespace views::print {

class Printer;
class TAllPrintForm;
class TPrevX;

// "分析用ﾃﾞｰﾀを選択してください。" (UTF-8): no race day is loaded.
inline constexpr char kNoDayMessage[] = "分析用ﾃﾞｰﾀを選択してください。";

// Sets the sheet's paper, records the sheet into `prev` as a new document and returns its page
// names (CP932); nothing when there is no printer.
std::optional<std::vector<std::string>>
BuildDocument(TPrevX& prev, Sheet sheet, const raceday::RaceDay& day, std::string_view credit);

// A print form with the sheet drawn and its page list filled, not yet shown; nothing when
// there is no printer (the form is gone then).
std::unique_ptr<TAllPrintForm> BuildPrintForm(const keiba::ProgramContext& context, Sheet sheet,
                                              const raceday::RaceDay& day, Printer& printer,
                                              std::string_view credit, QWidget* parent);

struct PrintSheetRequest {
    const keiba::ProgramContext& context;
    Sheet sheet;
    const raceday::RaceDay& day;
    // Items of the main window's race list.
    int raceListCount;
    Printer& printer;
    std::string credit; // CP932
    QWidget* parent = nullptr;
    // Shows the form modally (the window's own runner of modal forms); QDialog::exec when empty.
    std::function<void(QDialog&)> showModal;
};

// The whole sequence. A missing day, or a missing printer, is said in a message box and leaves
// no form behind.
void PrintSheet(const PrintSheetRequest& request);

} // namespace views::print
