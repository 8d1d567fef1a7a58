#include "members/forms/idpassform.h"

#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "members/idpass.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace members {
namespace {

using controls::U;

// Drops typed characters the edit does not take. Keys without a character, shortcuts and the
// dialog's own keys (Tab, Esc) are not typed characters and pass.
class KeyFilter : public QObject {
public:
    KeyFilter(bool (*allowed)(char32_t), QObject* parent)
        : QObject(parent)
        , allowed_(allowed) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        for (char32_t c : key->text().toUcs4())
            if (c >= 0x20 && c != 0x7F && !allowed_(c)) return true;
        return false;
    }

private:
    bool (*allowed_)(char32_t);
};

} // namespace

TIDPASSForm::TIDPASSForm(const keiba::ProgramContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context) {
    setObjectName(QStringLiteral("IDPASSForm"));
    setWindowTitle(QStringLiteral("ID,パスワード登録"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumWidth(280);

    auto* column = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("競馬ルミナードWEB"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 3);
    heading->setFont(bold);
    heading->setStyleSheet(QStringLiteral("color: blue;"));
    column->addWidget(heading);

    auto edit = [&](const char* name, const QString& caption) {
        auto* label = new QLabel(caption, this);
        column->addWidget(label);
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(kMaxIdPassLength);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        label->setBuddy(e);
        column->addWidget(e);
        return e;
    };
    IDedit = edit("IDedit", QStringLiteral("IDを入力してください"));
    PassEdit = edit("PassEdit", QStringLiteral("パスワードを入力してください"));
    PassEdit->setEchoMode(QLineEdit::Password);
    // The dialog the site's users know hides the password behind asterisks, not the style's dots.
    PassEdit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    IDedit->installEventFilter(new KeyFilter(&IdKeyAllowed, IDedit));
    PassEdit->installEventFilter(new KeyFilter(&PassKeyAllowed, PassEdit));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    MsgBitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    MsgBitBtn1->setObjectName(QStringLiteral("MsgBitBtn1"));
    MsgBitBtn1->setDefault(true);
    MsgBitBtn2 = new QPushButton(QStringLiteral("キャンセル"), this);
    MsgBitBtn2->setObjectName(QStringLiteral("MsgBitBtn2"));
    buttons->addWidget(MsgBitBtn1);
    buttons->addWidget(MsgBitBtn2);
    column->addLayout(buttons);
    connect(MsgBitBtn1, &QPushButton::clicked, this, &TIDPASSForm::MsgBitBtn1Click);
    connect(MsgBitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    Credentials stored = ReadCredentials(context_.settings);
    IDedit->setText(U(stored.id));
    PassEdit->setText(U(stored.password));
    controls::NoImplicitDefaultButtons(*this);
}

void TIDPASSForm::MsgBitBtn1Click() {
    SaveCredentials(context_.settings, controls::TypedText(IDedit->text()),
                    controls::TypedText(PassEdit->text()), context_.notifier);
}

} // namespace members
