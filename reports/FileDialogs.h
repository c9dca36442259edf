#pragma once
// Qt's own file dialogs in Russian whatever the machine's locale: the texts come from Qt's Russian
// translation, the dates and sizes from the Russian locale (Qt's file list formats them by the
// machine's own locale, "9 Dec 2026" on an English one).
#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace vi23 {

// The dialog the functions below show; for tests.
std::unique_ptr<QFileDialog> russianFileDialog(QWidget* parent, const QString& caption, const QString& path,
                                               const QString& filters);

QString openFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filters);
// `filter` picks the filter shown first and returns the one chosen.
QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed, const QString& filters,
                     QString* filter);
QString existingFolder(QWidget* parent, const QString& caption, const QString& folder);

} // namespace vi23
