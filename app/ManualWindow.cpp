#include "ManualWindow.h"

#include "data/Error.h"
#include "help/Manual.h"

#include <QDir>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vi23 {

ManualWindow::ManualWindow(const QString& file, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ManualWindow"));
    setWindowTitle(QStringLiteral("Руководство пользователя — Вельмар"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("manualBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl::fromLocalFile(file));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(960, 720);
}

void showManual(QPointer<ManualWindow>& window, QWidget* owner, const QString& programFolder)
{
    if (!window) {
        const QString file = help::findManual(programFolder);
        if (file.isEmpty()) {
            QStringList places;
            for (const QString& candidate : help::manualCandidates(programFolder))
                places << QDir::toNativeSeparators(candidate);
            throw UserError(QStringLiteral("Руководство пользователя не найдено. Искали:\n%1").arg(places.join(u'\n')));
        }
        window = new ManualWindow(file, owner);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace vi23
