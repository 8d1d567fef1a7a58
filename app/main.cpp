#include "app/forms/application.h"
#include "jvdata/jvlink.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return app::RunKestrane(application,
                            [] { return jvdata::CreateReplayJvLink(jvdata::DefaultFeedFolder()); });
}
