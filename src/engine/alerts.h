#pragma once

#include "feedback/sheets.h"

#include <QObject>

// The alerts of the document commands, with their exact texts.
namespace velko::alerts {

inline AlertSpec openAnother()
{
    return {QStringLiteral("Document not saved."),
            QStringLiteral("Do you want to open another anyway?"),
            {QStringLiteral("Open anyway"), QStringLiteral("Cancel")}};
}

inline AlertSpec quit()
{
    return {QStringLiteral("Quit Velko?"),
            QStringLiteral("Document not saved! Do you really want to quit?"),
            {QStringLiteral("OK"), QStringLiteral("Cancel")}};
}

inline AlertSpec newDocument()
{
    return {QStringLiteral("Create new document?"),
            QStringLiteral("Document not saved!"),
            {QStringLiteral("OK"), QStringLiteral("Cancel")}};
}

inline AlertSpec encryptedText()
{
    return {QStringLiteral("Attention, trying to save encrypted text!"),
            QStringLiteral("Do you really want to save encrypted text as plain text document?"),
            {QStringLiteral("Save as plain text"), QStringLiteral("Cancel")}};
}

inline AlertSpec plainSave()
{
    return {QStringLiteral("Warning, trying to save as plain text!"),
            QStringLiteral("Do you really want to save the document as not secured?"),
            {QStringLiteral("Save as unsecured"), QStringLiteral("Cancel")}};
}

inline AlertSpec mailDocumentNotSaved()
{
    return {QStringLiteral("Document not saved."),
            QStringLiteral("Please save the document before send it."),
            {QStringLiteral("OK")}};
}

} // namespace velko::alerts
