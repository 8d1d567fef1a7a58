#include "controls/qtplatform.h"

#include "controls/qtext.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

namespace controls {
namespace {

QString FromPath(const std::filesystem::path& p) {
    return U(p.string());
}

QString Caption() {
    return QGuiApplication::applicationDisplayName();
}

} // namespace

QTranslator* InstallQtTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

QTranslator* UseJapanese(QCoreApplication& application) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    return InstallQtTranslations(application);
}

void NoImplicitDefaultButtons(QWidget& dialog) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (!b->isDefault()) b->setAutoDefault(false);
}

void QtNotifier::Beep() {
    QApplication::beep();
}

QWidget* QtNotifier::Parent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    // One read of the guarded pointer: each read of a QPointer may find the widget gone.
    if (QWidget* owner = owner_.data(); owner != nullptr && owner->isVisible())
        return owner->window();
    return nullptr;
}

void QtNotifier::Information(const std::string& text) {
    CentredMessageBox box(QMessageBox::Information, Caption(), U(text), QMessageBox::Ok, Parent());
    box.exec();
}

bool QtNotifier::YesNo(const std::string& text) {
    CentredMessageBox box(QMessageBox::Question, Caption(), U(text),
                          QMessageBox::Yes | QMessageBox::No, Parent());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtNotifier::RetryCancel(const std::string& text) {
    CentredMessageBox box(QMessageBox::Critical, Caption(), U(text),
                          QMessageBox::Retry | QMessageBox::Cancel, Parent());
    box.setDefaultButton(QMessageBox::Retry);
    return box.exec() == QMessageBox::Retry;
}

void QtNotifier::Stop(const std::string& caption, const std::string& text) {
    CentredMessageBox box(QMessageBox::Critical, U(caption), U(text), QMessageBox::Ok, Parent());
    box.exec();
}

CentredMessageBox::CentredMessageBox(Icon icon, const QString& title, const QString& text,
                                     StandardButtons buttons, QWidget* parent)
    : QMessageBox(icon, title, text, buttons, parent) {
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

void CentredMessageBox::showEvent(QShowEvent* e) {
    QMessageBox::showEvent(e); // gives the box its final size
    QRect area;
    if (const QWidget* parent = parentWidget(); parent != nullptr && parent->isVisible()) {
        area = parent->window()->geometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isNull()) return;
    QRect placed = geometry();
    placed.moveCenter(area.center());
    setGeometry(placed);
}

bool QtShell::Open(const std::string& target) {
    const QString t = U(target);
    if (t.isEmpty()) return false;
    QUrl url;
    if (QFileInfo::exists(t)) {
        url = QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath());
    } else if (t.contains(QStringLiteral("://")) || t.startsWith(QStringLiteral("mailto:"))) {
        url = QUrl(t);
    } else {
        url = QUrl::fromUserInput(t);
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtShell::Launch(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::filesystem::path& workingDir) {
    QStringList list;
    for (const std::string& a : args) list << U(a);
    return QProcess::startDetached(FromPath(program), list, FromPath(workingDir));
}

} // namespace controls
