#include "widgets/shopstart.h"

#include "catalogue/shopfolder.h"
#include "settings/settingsstore.h"
#include "widgets/qtfacilities.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace korvanta {

QString QtFolderDialog::chooseFolder(const QString& caption, const QString& start)
{
    QFileDialog dialog(nullptr, caption, start);
    dialog.setObjectName(QStringLiteral("ShopFolderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Папка магазина:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Показывать:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Выбрать"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

void installQtTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

bool startInShopFolder(const QStringList& arguments, const QString& settingsDirectory)
{
    const std::unique_ptr<SettingsStore> store =
        makeFileSettingsStore(settingsDirectory.isEmpty() ? defaultSettingsDirectory() : settingsDirectory);
    QtFolderDialog dialog;
    QtMessageBox messages;
    return enterShopFolder(arguments.value(1), *store, dialog, messages);
}

} // namespace korvanta
