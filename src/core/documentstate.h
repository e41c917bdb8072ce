#pragma once

#include "core/cipheroption.h"

#include <QByteArray>
#include <QString>

namespace velko {

inline const QString kDefaultFileName = QStringLiteral("untitled.rtf");

// The document's shared state. The window layout makes one instance and
// hands the same one to Engine, AppController and VelkoField_delegate.
struct DocumentState
{
    QString fileName = kDefaultFileName;
    bool textChanged = false;
    bool isLastSavedASecureFile = false;
    QString cipher = kCipherBlowfish;
    QString selectedCipher = kCipherBlowfish;
    QByteArray DataToWrite;
    QString openedFileNameByDoubleClick;
    bool textColorSetToOrangeAfterEncryption = false;

    bool hasDefaultFileName() const { return fileName == kDefaultFileName; }
};

} // namespace velko
