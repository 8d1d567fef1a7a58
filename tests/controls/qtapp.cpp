// One QApplication for the widget tests, on the offscreen platform. Qt's own dialogs keep
// their state under the user's config folder; point that at a scratch folder.

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QTemporaryDir config_;
    int argc_ = 1;
    char name_[16] = "test_controls";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
