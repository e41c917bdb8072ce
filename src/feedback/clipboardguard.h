#pragma once

#include <QClipboard>
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace velko {

// Data cut or copied from a secure document: marked so that clipboard
// histories and managers do not keep it.
class SecretMimeData : public QMimeData
{
    Q_OBJECT
public:
    SecretMimeData();
    static const QString kHintFormat; // "x-kde-passwordManagerHint"
};

// Takes secret data off the clipboard (and the X11 selection) again: after
// a time, on request and when the editor quits, but only while the
// clipboard still holds what this program put there.
class ClipboardGuard : public QObject
{
    Q_OBJECT
public:
    explicit ClipboardGuard(QObject* parent = nullptr);
    ~ClipboardGuard() override;

    // How long secret data may stay, in milliseconds; 0: until clearNow()
    // or the end.
    void setClearAfterMs(int ms);
    // Clears what of ours is still there.
    void clearNow();
    bool holdsSecret() const;

private:
    void noteChange(QClipboard::Mode mode);
    bool holdsOurs(QClipboard::Mode mode) const;

    QPointer<const QMimeData> m_offered[2]; // Clipboard, Selection
    QTimer m_timer;
};

} // namespace velko
