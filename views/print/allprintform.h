#pragma once
// `TAllPrintForm`, the print form: the preview of a document (`PrevX1`), its page spinner and
// page list, the zoom, the printer set-up and the two ways to print (the page shown, or every
// checked page). A print feature makes one for each print, draws the document into `PrevX1`,
// fills the page list and shows it modally.

#include "keiba/context.h"
#include "views/print/printer.h"

#include <QDialog>

#include <array>
#include <string>
#include <vector>

class QButtonGroup;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;

namespace views::print {

class TPrevX;
enum class PrintResult;

// The zoom of each choice of `RadioGroup1`, in percent.
inline constexpr std::array<int, 8> kZoomChoices{25, 50, 75, 100, 125, 150, 175, 200};

class TAllPrintForm : public QDialog {
    Q_OBJECT
public:
    TAllPrintForm(const keiba::ProgramContext& context, Printer& printer,
                  QWidget* parent = nullptr);
    ~TAllPrintForm() override;

    TPrevX* PrevX1() const { return PrevX1_; }
    QListWidget* CheckListBox1() const { return CheckListBox1_; }
    QSpinBox* UpDown1() const { return UpDown1_; }
    int ZoomIndex() const;

    // One line per page (CP932), unchecked; the spinner runs over the pages and stands on 1.
    void SetPages(const std::vector<std::string>& names);

    // --- handlers ---
    void RadioGroup1Click(int index);
    void UpDown1Click();
    // The page shown, after the print dialog; BitBtn2 and BitBtn5.
    void BitBtn2Click();
    // One job per checked page, no dialog; to a file, the checked pages as one document.
    void BitBtn7Click();
    void BitBtn3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    // Stores the bounds; then the printer goes back to A4 portrait. Runs once, however the form
    // closes.
    void CloseForm();

    void done(int result) override;

private:
    void BuildUi();
    void FormCreate();
    void FormCloseQuery();
    void FormClose();
    // Says what went wrong, if anything; false when printing is to stop.
    bool Report(PrintResult result);
    // Prints FromPage..ToPage; false when printing is to stop.
    bool PrintRange(int from, int to);

    const keiba::ProgramContext& context_;
    Printer& printer_;
    keiba::TIniGT& ini_;
    bool closed_ = false;
    TPrevX* PrevX1_ = nullptr;
    QListWidget* CheckListBox1_ = nullptr;
    QSpinBox* UpDown1_ = nullptr;
    QScrollArea* ScrollBox1_ = nullptr;
    QButtonGroup* RadioGroup1_ = nullptr;
    QPushButton* BitBtn2_ = nullptr;
};

} // namespace views::print
