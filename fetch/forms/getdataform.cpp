#include "fetch/forms/getdataform.h"

#include "controls/colors.h"
#include "controls/fonts.h"
#include "controls/halfwidthinput.h"
#include "controls/label3d.h"
#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "controls/speedbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

namespace fetch {
namespace {

using controls::U;

template <class W> W* Named(W* w, const char* name, QRect geometry) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    return Named(new QLabel(text, parent), name, geometry);
}

// A 3-D label of the form's size: auto-size goes off before the bounds and the font are set,
// or the empty caption would shrink it to nothing.
controls::TLabel3Dj* Label3D(QWidget* parent, const char* name, QRect geometry, const QFont& font) {
    auto* label = new controls::TLabel3Dj(parent);
    label->SetAutoSize(false);
    label->setFont(font);
    return Named(label, name, geometry);
}

} // namespace

TGetDataForm::TGetDataForm(const keiba::ProgramContext& context, jvdata::TJVLink* link,
                           fetch::FetchFlags& flags, keiba::OperationOwner& operations,
                           std::function<void()> afterClose, QWidget* parent)
    : QDialog(parent)
    , session_(link, *this, flags, context, operations)
    , afterClose_(std::move(afterClose)) {
    Build();
    session_.Open();
    controls::NoImplicitDefaultButtons(*this);
}

TGetDataForm::~TGetDataForm() {
    if (busyCursor_) QApplication::restoreOverrideCursor();
}

void TGetDataForm::Build() {
    setObjectName(QStringLiteral("GetDataForm"));
    setWindowTitle(QStringLiteral("ＪＶデータ取込"));
    setFixedSize(417, 316);
    QFont f = controls::PGothicFont(9);
    f.setPixelSize(12);
    setFont(f);

    ButtonStart = Named(new controls::TLbSpeedButton(this), "ButtonStart", {8, 8, 120, 30});
    ButtonStart->SetCaption(QStringLiteral("データ取込"));
    ButtonCancel = Named(new controls::TLbSpeedButton(this), "ButtonCancel", {136, 8, 120, 30});
    ButtonCancel->SetCaption(QStringLiteral("データ取込中止"));
    SpeedButton1 = Named(new controls::TLbSpeedButton(this), "SpeedButton1", {288, 8, 120, 30});
    SpeedButton1->SetCaption(QStringLiteral("JV-Link設定"));
    for (controls::TLbSpeedButton* b : {ButtonStart, ButtonCancel, SpeedButton1})
        controls::UseFormButtonLook(*b);
    connect(ButtonStart, &controls::TLbSpeedButton::OnClick, this, &TGetDataForm::ButtonStartClick);
    connect(ButtonCancel, &controls::TLbSpeedButton::OnClick, this,
            &TGetDataForm::ButtonCancelClick);
    connect(SpeedButton1, &controls::TLbSpeedButton::OnClick, this,
            &TGetDataForm::SpeedButton1Click);

    CheckBox1 = Named(new QCheckBox(QStringLiteral("確定オッズも合わせて取得する"), this),
                      "CheckBox1", {8, 46, 400, 18});
    Label8 = Caption(this, "Label8",
                     QStringLiteral("↑ここをチェックすると取得期間に取得済みのオッズがある場合は"
                                    "確定オッズに上書きされますので、ご注意ください。"),
                     {8, 66, 400, 30});
    Label8->setWordWrap(true);
    Label8->setStyleSheet(QStringLiteral("color: blue"));

    Caption(this, "Label1", QStringLiteral("ダウンロード"), {8, 104, 80, 18});
    ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1", {92, 104, 316, 18});
    Caption(this, "Label2", QStringLiteral("読込み"), {8, 128, 80, 18});
    ProgressBar2 = Named(new QProgressBar(this), "ProgressBar2", {92, 128, 316, 18});
    for (QProgressBar* b : {ProgressBar1, ProgressBar2}) {
        b->setRange(0, 100);
        b->setValue(0);
    }

    QFont gothic = controls::GothicFont(9);
    gothic.setPixelSize(12);
    Caption(this, "Label7", QStringLiteral("作成データ"), {8, 154, 80, 18});
    ProgressLabel = Label3D(this, "ProgressLabel", {92, 154, 316, 18}, gothic);
    ProgressLabel->SetFontColor(Qt::blue);
    ProgressLabel->SetLayout(controls::TextLayout::tlCenter);
    QFont bold = gothic;
    bold.setPixelSize(13);
    bold.setBold(true);
    MkDataLabel = Label3D(this, "MkDataLabel", {8, 178, 379, 20}, bold);
    MkDataLabel->SetFontColor(Qt::blue);
    MkDataLabel->SetColor(controls::InfoBackground());
    MkDataLabel->SetTextStyle(controls::TTextStyle::tsRecessed);
    MkDataLabel->SetBorder(true);
    MkDataLabel->SetBorderType(controls::TBorderType::btRecessed);
    MkDataLabel->SetLayout(controls::TextLayout::tlCenter);

    GroupBox1 =
        Named(new QGroupBox(QStringLiteral("取得データ"), this), "GroupBox1", {8, 206, 200, 70});
    rbtNormal = Named(new QRadioButton(QStringLiteral("通常データ"), GroupBox1), "rbtNormal",
                      {10, 20, 180, 18});
    rbtSetup = Named(new QRadioButton(QStringLiteral("セットアップデータ"), GroupBox1), "rbtSetup",
                     {10, 42, 180, 18});
    rbtNormal->setChecked(true);

    Caption(this, "Label6", QStringLiteral("取得開始日付"), {216, 210, 190, 18});
    DateTimePicker1 =
        Named(new controls::TDateTimeEdit(this), "DateTimePicker1", {216, 230, 190, 22});
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
    DateTimePicker1->setCalendarPopup(true);

    Label5 = Caption(this, "Label5", QString(), {216, 256, 190, 18});
    Label5->hide();

    TimerJVStatus = new QTimer(this);
    TimerJVStatus->setObjectName(QStringLiteral("TimerJVStatus"));
    TimerJVStatus->setInterval(10);
    connect(TimerJVStatus, &QTimer::timeout, this, &TGetDataForm::TimerJVStatusTimer);

    // The import names every record it takes in and pumps the window's events between records:
    // painting each name would cost more than filing the record, so the label catches up with
    // the newest name a few times a second.
    RecordLabelTimer = new QTimer(this);
    RecordLabelTimer->setObjectName(QStringLiteral("RecordLabelTimer"));
    RecordLabelTimer->setSingleShot(true);
    RecordLabelTimer->setInterval(50);
    connect(RecordLabelTimer, &QTimer::timeout, this, &TGetDataForm::ShowRecordLabel);
}

keiba::LocalTime TGetDataForm::PickerTime() const {
    QDate d = DateTimePicker1->date();
    return keiba::MakeLocalTime(d.year(), d.month(), d.day()) + std::chrono::seconds{timeOfDay_};
}

void TGetDataForm::ButtonStartClick() {
    session_.Start({PickerTime(), rbtSetup->isChecked(), CheckBox1->isChecked()});
}

void TGetDataForm::ButtonCancelClick() {
    session_.Cancel();
}

void TGetDataForm::SpeedButton1Click() {
    session_.OpenLinkSettings();
}

void TGetDataForm::TimerJVStatusTimer() {
    session_.StatusTick();
}

void TGetDataForm::done(int result) {
    if (!session_.RequestClose()) return;
    QDialog::done(result);
    if (afterClose_ && !afterCloseRun_) {
        afterCloseRun_ = true;
        afterClose_();
    }
}

void TGetDataForm::SetStatus(const std::string& text) {
    ProgressLabel->SetCaption(U(text));
}

void TGetDataForm::SetDownloadProgress(int position, int maximum) {
    ProgressBar1->setMaximum(std::max(maximum, 1));
    ProgressBar1->setValue(position);
}

void TGetDataForm::SetReadProgress(int position, int maximum) {
    ProgressBar2->setMaximum(std::max(maximum, 1));
    ProgressBar2->setValue(position);
}

void TGetDataForm::ResetProgress() {
    ProgressBar1->setValue(0);
    ProgressBar2->setValue(0);
}

void TGetDataForm::ShowRecordName(const std::string& text) {
    recordText_ = text;
    if (!RecordLabelTimer->isActive()) RecordLabelTimer->start();
}

void TGetDataForm::ShowRecordLabel() {
    RecordLabelTimer->stop();
    MkDataLabel->SetCaption(U(recordText_));
}

void TGetDataForm::ShowFromTime(keiba::LocalTime t) {
    keiba::DateTimeParts p = keiba::Parts(t);
    DateTimePicker1->setDate(QDate(p.year, p.month, p.day));
    timeOfDay_ = p.hour * 3600 + p.minute * 60 + p.second;
    Label5->setText(QString::asprintf("%04d/%02d/%02d %02d:%02d:%02d", p.year, p.month, p.day,
                                      p.hour, p.minute, p.second));
}

void TGetDataForm::SelectSetupMode() {
    rbtSetup->setChecked(true);
}

void TGetDataForm::StartStatusTimer() {
    TimerJVStatus->start();
}

void TGetDataForm::StopStatusTimer() {
    TimerJVStatus->stop();
}

void TGetDataForm::SetRunning(bool running) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ButtonStart, SpeedButton1, GroupBox1, DateTimePicker1})
        w->setEnabled(!running);
    // An import that ended shows the label as it left it.
    if (!running) ShowRecordLabel();
}

void TGetDataForm::SetBusyCursor(bool busy) {
    if (busy == busyCursor_) return;
    busyCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TGetDataForm::ProcessMessages() {
    QCoreApplication::processEvents();
}

void TGetDataForm::CloseNow() {
    // Deferred: the close was asked for from inside the filing loop's message pump.
    QTimer::singleShot(0, this, [this] { close(); });
}

} // namespace fetch
