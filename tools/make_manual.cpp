// kestrane_make_manual <manual.md> <out.pdf>
// Sets the user manual, written in Markdown, on A4 pages in the Japanese fonts the program
// ships with and writes it to a PDF file. The build runs it; the PDF goes beside the executable.

#include "keiba/fileio.h"
#include "tools/cli.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

const QString kTextFamily = QStringLiteral("IPAPGothic");
const QString kFixedFamily = QStringLiteral("IPAGothic");

// Whether the family is installed, in whatever language the machine is set to. The font list
// names a family in that language ("IPA Pゴシック" under a Japanese locale) and keeps its other
// names as aliases, which Qt resolves only once the list has been read in.
bool Installed(const QString& family) {
    const QStringList families = QFontDatabase::families();
    return families.contains(family) || QFontDatabase::hasFamily(family);
}

// Qt's Markdown reader only scales its headings a little; on paper a chapter must stand out
// from the paragraph before it.
void MarkHeadings(QTextDocument& doc) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0) continue;
        // The reader's own size step would win over a point size: the step is taken out.
        // Ranges first: a new format can join fragments under an iterator.
        std::vector<std::pair<QTextCursor, QTextCharFormat>> ranges;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat chars = fragment.charFormat();
            chars.clearProperty(QTextFormat::FontSizeAdjustment);
            chars.setFontWeight(QFont::Bold);
            chars.setFontPointSize(level == 1 ? 20 : level == 2 ? 14 : 11.5);
            chars.setForeground(QColor(0x1a, 0x3a, 0x6b));
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            ranges.emplace_back(cursor, chars);
        }
        for (auto& [cursor, chars] : ranges) cursor.setCharFormat(chars);
        QTextCursor cursor(block);
        QTextBlockFormat spacing;
        spacing.setTopMargin(level == 1 ? 0 : level == 2 ? 16 : 8);
        spacing.setBottomMargin(level == 1 ? 12 : 6);
        cursor.mergeBlockFormat(spacing);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (auto status = devtools::CheckPlainArguments(argc, argv, 2, "<manual.md> <out.pdf>"))
        return *status;
    const std::filesystem::path in = argv[1];
    const std::filesystem::path out = argv[2];
    if (!devtools::Usable({{in, devtools::PathUse::ReadFile}, {out, devtools::PathUse::WriteFile}}))
        return 1;
    const keiba::FileRead read = keiba::ReadFileOrMissing(in);
    const auto& markdown = read.bytes;
    if (!markdown) {
        devtools::Say(read.read ? "no such file: " + in.string() : read.read.message);
        return 1;
    }

    // No window is shown: the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    // Without them every Japanese character would come out in whatever font the machine
    // happens to have, or as empty boxes: refuse rather than write such a manual.
    if (!Installed(kTextFamily) || !Installed(kFixedFamily)) {
        devtools::Say("the fonts IPAPGothic and IPAGothic are missing "
                      "(Debian package fonts-ipafont-gothic)");
        return 1;
    }

    QTextDocument doc;
    doc.setDefaultFont(QFont(kTextFamily, 10));
    doc.setMarkdown(QString::fromUtf8(markdown->data(), static_cast<qsizetype>(markdown->size())),
                    QTextDocument::MarkdownDialectGitHub);
    // Code spans and blocks (paths, file names) in the fixed-width face the screens use.
    std::vector<QTextCursor> fixedRanges;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().fontFixedPitch()) continue;
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            fixedRanges.push_back(cursor);
        }
    }
    QTextCharFormat fixed;
    fixed.setFontFamilies({kFixedFamily});
    for (QTextCursor& cursor : fixedRanges) cursor.mergeCharFormat(fixed);
    MarkHeadings(doc);

    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setTitle(doc.firstBlock().text());
        writer.setCreator(QStringLiteral("Kestrane"));
        writer.setResolution(300);
        // The document keeps margins of its own (2 cm) and numbers the pages inside them.
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        doc.print(&writer);
    }
    const QByteArray& bytes = pdf.data();
    const keiba::IoResult written =
        keiba::WriteFileAtomic(out, std::string_view(bytes.constData(), bytes.size()));
    if (!written) {
        devtools::Say(written.message);
        return 1;
    }
    return 0;
}
