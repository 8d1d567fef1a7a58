#pragma once
// The detail columns of Qt's own file dialog in the program's language.

class QFileDialog;

namespace controls {

// Qt's file model writes sizes and dates in the desktop's locale whatever the program's default
// locale, and names a folder's type in English because its translation lacks that text: the
// dialog's views are given those three columns in the default locale and the translation.
void UseDefaultLocaleColumns(QFileDialog& dialog);

} // namespace controls
