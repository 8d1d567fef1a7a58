#include "app/forms/application.h"
#include "jvdata/jvlink.h"
#include "keiba/appdir.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Every path is built from the program folder, so the process's own folder never changes.
    const std::filesystem::path folder = keiba::AppDir();
    return app::RunKestrane(application, folder, [folder] {
        return jvdata::CreateReplayJvLink(jvdata::DefaultFeedFolder(folder));
    });
}
