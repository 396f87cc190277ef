#include "catalogue/shopfolder.h"

#include "base/facilities.h"
#include "catalogue/categorytable.h"
#include "settings/settingsstore.h"
#include "text/cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvanta {

QString shopFilePath(const QString& directory, const QString& file)
{
    return directory.isEmpty() ? file : QDir(directory).filePath(file);
}

const QString ShopKeyPath = QStringLiteral("software\\microsoft\\windows\\korvanta\\shop");
const QString ShopFolderValue = QStringLiteral("folder");
const QString ShopFolderCaption = QStringLiteral("Выберите папку магазина (с прайс-листами)");

namespace {

const QString NoPriceLists = QStringLiteral("В папке \"%1\" нет прайс-листов магазина (Base.dat, Proc_int.dat и "
                                            "других). Выберите папку, в которой они лежат.");
const QString ShopMoved = QStringLiteral("В папке магазина \"%1\" больше нет прайс-листов. Выберите папку, в "
                                         "которой они лежат теперь.");
const QString NotRemembered = QStringLiteral("Папку магазина не удалось запомнить: при следующем запуске "
                                             "программа спросит её снова.");
const QString CannotEnter = QStringLiteral("Не удалось открыть папку магазина \"%1\".");

QString shown(const QString& folder)
{
    return QDir::toNativeSeparators(folder);
}

QString absoluteFolder(const QString& folder, const QString& base)
{
    return QDir::cleanPath(QDir(base).absoluteFilePath(folder));
}

// Where the dialog opens: the folder when it is there, else the working folder.
QString startFolder(const QString& folder, const QString& workingFolder)
{
    return QFileInfo(folder).isDir() ? folder : workingFolder;
}

} // namespace

bool holdsPriceLists(const QString& folder)
{
    const QDir dir(folder);
    for (Cat c : allCategories())
        for (const QString& file : category(c).files)
            if (QFileInfo(dir.filePath(file)).isFile())
                return true;
    return false;
}

QString rememberedShopFolder(SettingsStore& store)
{
    try {
        const std::optional<StoredValue> stored = store.openKey(ShopKeyPath)->read(ShopFolderValue);
        if (!stored)
            return QString();
        if (stored->kind == ValueKind::Binary)
            return QFile::decodeName(stored->data);
        return readString(*stored);
    } catch (const std::exception&) {
        return QString();
    }
}

bool rememberShopFolder(SettingsStore& store, const QString& folder)
{
    const bool fitsCp1251 = cp1251::decode(cp1251::encode(folder)) == folder;
    const StoredValue value =
        fitsCp1251 ? string1251(folder) : StoredValue{ValueKind::Binary, QFile::encodeName(folder)};
    try {
        const std::unique_ptr<SettingsKey> key = store.openKey(ShopKeyPath);
        key->write(ShopFolderValue, value);
        key->close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString findShopFolder(const QString& argument, const QString& workingFolder, SettingsStore& store,
                       FolderDialog& dialog, MessageBox& messages)
{
    QString start = workingFolder;
    if (!argument.isEmpty()) {
        // A folder named on purpose is never swapped for the remembered one without a word.
        const QString named = absoluteFolder(argument, workingFolder);
        if (holdsPriceLists(named))
            return named;
        messages.showError(NoPriceLists.arg(shown(named)));
        start = startFolder(named, workingFolder);
    } else {
        if (holdsPriceLists(workingFolder))
            return workingFolder;
        const QString remembered = rememberedShopFolder(store);
        if (!remembered.isEmpty()) {
            if (holdsPriceLists(remembered))
                return remembered;
            messages.showError(ShopMoved.arg(shown(remembered)));
            start = startFolder(remembered, workingFolder);
        }
    }

    for (;;) {
        const QString answer = dialog.chooseFolder(ShopFolderCaption, start);
        if (answer.isEmpty())
            return QString();
        const QString chosen = absoluteFolder(answer, workingFolder);
        if (holdsPriceLists(chosen)) {
            if (!rememberShopFolder(store, chosen))
                messages.showError(NotRemembered);
            return chosen;
        }
        messages.showError(NoPriceLists.arg(shown(chosen)));
        start = startFolder(chosen, workingFolder);
    }
}

bool enterShopFolder(const QString& argument, SettingsStore& store, FolderDialog& dialog, MessageBox& messages)
{
    const QString folder = findShopFolder(argument, QDir::currentPath(), store, dialog, messages);
    if (folder.isEmpty())
        return false;
    if (!QDir::setCurrent(folder)) {
        messages.showError(CannotEnter.arg(shown(folder)));
        return false;
    }
    return true;
}

} // namespace korvanta
