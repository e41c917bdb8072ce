#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;
class QTimer;

namespace velko {

struct DocumentState;
class VelkoTextView;

// What the status bar says of the document: plain or secure (with the
// cipher), the secure output shown read-only, and unsaved edits.
QString documentStateText(const DocumentState& state, bool secureOutputShown);

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
    QString stateText() const;
    QString countsText() const;

private:
    void count();

    VelkoTextView* m_view;
    const DocumentState* m_state;
    QLabel* m_stateLabel;
    QLabel* m_countsLabel;
    QTimer* m_countLater;
};

} // namespace velko
