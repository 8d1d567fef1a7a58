#include "views/print/printsheet.h"

#include "views/print/allprintform.h"
#include "views/print/prevx.h"

namespace views::print {

std::optional<std::vector<std::string>>
BuildDocument(TPrevX& prev, Sheet sheet, const raceday::RaceDay& day, std::string_view credit) {
    // A sheet on other paper sets it before the document starts; closing the form resets it.
    if (InfoOf(sheet).landscape && prev.SetPaper(kPaperA4, kLandscape) != PrevResult::Ok)
        return std::nullopt;
    if (prev.BeginDoc() != PrevResult::Ok) return std::nullopt;
    std::vector<std::string> names = DrawSheet(sheet, day, prev.GetCanvas(), credit);
    prev.EndDoc();
    return names;
}

std::unique_ptr<TAllPrintForm> BuildPrintForm(const keiba::ProgramContext& context, Sheet sheet,
                                              const raceday::RaceDay& day, Printer& printer,
                                              std::string_view credit, QWidget* parent) {
    auto form = std::make_unique<TAllPrintForm>(context, printer, parent);
    form->setWindowTitle(QString::fromUtf8(InfoOf(sheet).caption.data(),
                                           static_cast<qsizetype>(InfoOf(sheet).caption.size())));
    std::optional<std::vector<std::string>> names =
        BuildDocument(*form->PrevX1(), sheet, day, credit);
    if (!names) return nullptr;
    form->SetPages(*names);
    return form;
}

void PrintSheet(const PrintSheetRequest& request) {
    keiba::Notifier& notifier = request.context.notifier;
    if (request.raceListCount <= 0) {
        notifier.Beep();
        notifier.Information(kNoDayMessage);
        return;
    }
    std::unique_ptr<TAllPrintForm> form =
        BuildPrintForm(request.context, request.sheet, request.day, request.printer, request.credit,
                       request.parent);
    if (!form) {
        notifier.Information(kNoPrinterMessage);
        return;
    }
    if (request.showModal)
        request.showModal(*form);
    else
        form->exec();
    form->CloseForm();
}

} // namespace views::print
