#include "FileDialogs.h"

#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>
#include <QFileSystemModel>
#include <QLocale>
#include <QSortFilterProxyModel>

namespace vi23 {

namespace {

enum Column { Name, Size, Type, Modified };

// The file list with the size, type and date columns in Russian, sorted by value, not by text.
class RussianFileList : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files)
            return QSortFilterProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        switch (index.column()) {
        case Size:
            return files->isDir(source) ? QString()
                                        : russian.formattedDataSize(files->size(source), 1, QLocale::DataSizeTraditionalFormat);
        case Type:
            return files->isDir(source) ? QStringLiteral("Папка") : QSortFilterProxyModel::data(index, role);
        case Modified: return russian.toString(files->lastModified(source), QStringLiteral("dd.MM.yyyy HH:mm"));
        default: return QSortFilterProxyModel::data(index, role);
        }
    }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && files->isDir(left) != files->isDir(right))
            return files->isDir(left);
        if (files && left.column() == Size)
            return files->size(left) < files->size(right);
        if (files && left.column() == Modified)
            return files->lastModified(left) < files->lastModified(right);
        return QSortFilterProxyModel::lessThan(left, right);
    }
};

QString chosen(QFileDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().constFirst()
                                                                                     : QString();
}

} // namespace

std::unique_ptr<QFileDialog> russianFileDialog(QWidget* parent, const QString& caption, const QString& path,
                                               const QString& filters)
{
    auto dialog = std::make_unique<QFileDialog>(parent, caption, path, filters);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    dialog->setProxyModel(new RussianFileList(dialog.get()));
    // The size, kind and date whole ("73 байта", "Текстовый документ", "09.12.2026 12:19"), the name
    // taking the rest of a dialog as wide as a small screen allows.
    if (auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        list->header()->setStretchLastSection(false);
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < list->header()->count(); ++column)
            list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog->resize(std::min(900, screen->availableGeometry().width() * 9 / 10), 480);
    return dialog;
}

QString openFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filters)
{
    const auto dialog = russianFileDialog(parent, caption, folder, filters);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return chosen(*dialog);
}

QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed, const QString& filters,
                     QString* filter)
{
    const auto dialog = russianFileDialog(parent, caption, proposed, filters);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    if (filter && !filter->isEmpty())
        dialog->selectNameFilter(*filter);
    const QString name = chosen(*dialog);
    if (filter && !name.isEmpty())
        *filter = dialog->selectedNameFilter();
    return name;
}

QString existingFolder(QWidget* parent, const QString& caption, const QString& folder)
{
    const auto dialog = russianFileDialog(parent, caption, folder, {});
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    return chosen(*dialog);
}

} // namespace vi23
