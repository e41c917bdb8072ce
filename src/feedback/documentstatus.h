#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;
class QTimer;

namespace velko {

struct DocumentState;
class VelkoTextView;

// What the view shows: the document's text, a secure document's own
// (enciphered) text read-only, or nothing while the document is locked.
enum class TextShown { Document, SecureOutput, Locked };

// What the status bar says of the document: plain or secure (with the
// cipher), what the view shows of it, and unsaved edits.
QString documentStateText(const DocumentState& state, TextShown shown);

// The document window's status bar: the document's state on the left, its
// words and characters on the right, counted a moment after the last change
// so typing in a long text stays smooth.
class DocumentStatus : public QObject
{
    Q_OBJECT
public:
    DocumentStatus(QStatusBar* bar, VelkoTextView* view, const DocumentState* state);

    // Called whenever the document's state may have changed.
    void refresh();
    // While locked the text is out of sight, and so are its counts.
    void setLocked(bool locked);
    QString stateText() const;
    QString countsText() const;

private:
    void count();

    VelkoTextView* m_view;
    const DocumentState* m_state;
    QLabel* m_stateLabel;
    QLabel* m_countsLabel;
    QTimer* m_countLater;
    bool m_locked = false;
};

} // namespace velko
