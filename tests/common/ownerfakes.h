#pragma once

#include "owner/filechooser.h"

#include <QStringList>

// Fakes of the owner's program's dialogs.
namespace korvanta::testing {

// Answers the file dialogs with one path each; an empty one cancels.
struct FakeFileChooser : FileChooser {
    QString answer;
    QStringList captions;
    QString saveFile(const QString& caption, const QString&) override
    {
        captions << caption;
        return answer;
    }
    QString openFile(const QString& caption, const QString&) override
    {
        captions << caption;
        return answer;
    }
};

} // namespace korvanta::testing
