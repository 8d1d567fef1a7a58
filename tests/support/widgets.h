#pragma once
// Helpers of the form tests: controls found by their object names, UTF-8 text as a QString,
// and the settings file as every form's store names it.

#include "keiba/inigt.h"

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

namespace testsupport {

inline QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline QString QPath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// The child of `parent` named `name`, or nullptr, for a control that may rightly be absent.
template <typename W> W* Lookup(const QObject& parent, const char* name) {
    return parent.findChild<W*>(QString::fromUtf8(name));
}

// The child of `parent` named `name`; a missing one fails the test.
template <typename W> W* Find(const QObject& parent, const char* name) {
    W* w = Lookup<W>(parent, name);
    EXPECT_NE(w, nullptr) << "no control " << name;
    return w;
}

} // namespace testsupport
