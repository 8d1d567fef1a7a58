// One QApplication for a widget test program, on the offscreen platform, deleted before the
// program exits (Qt's input devices must not outlive it). Qt's own dialogs keep their state
// under the user's config folder; point that at a scratch folder.

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        // A plain `ctest` has no display: the widget tests draw offscreen unless told otherwise,
        // on a laptop's 1280x800 screen (the platform's own is 800x800, narrower than the main
        // window's default bounds, which a restored window is fitted into).
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KESTRANE_TEST_SCREEN);
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QTemporaryDir config_;
    int argc_ = 1;
    char name_[16] = "kestrane_tests";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
