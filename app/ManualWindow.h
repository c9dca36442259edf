#pragma once
// The user's manual in a window of its own: the HTML made from docs/ at build time, its links
// followed inside it, pages outside the manual opened by the desktop.
#include <QPointer>
#include <QWidget>

class QTextBrowser;

namespace vi23 {

class ManualWindow : public QWidget {
    Q_OBJECT
public:
    explicit ManualWindow(const QString& file, QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// The manual of a program in `programFolder` (help/Manual.h), shown in `window` (made when null);
// throws UserError naming the places looked at when there is none.
void showManual(QPointer<ManualWindow>& window, QWidget* owner, const QString& programFolder);

} // namespace vi23
