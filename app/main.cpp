#include "app/forms/mainform.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::TMainForm mainForm;
    mainForm.show();
    return application.exec();
}
