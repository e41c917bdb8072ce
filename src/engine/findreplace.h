#pragma once

#include <QPointer>
#include <QString>
#include <QTextCursor>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextDocument;

namespace velko {

class VelkoTextView;

// How a search compares text. Matches never cross a paragraph end.
struct FindOptions
{
    bool matchCase = false;
    bool wholeWords = false; // the match neither starts nor ends inside a word
};

enum class FindDirection { Forward, Backward };

struct FindResult
{
    QTextCursor match;    // null when nothing matched; otherwise selects the match
    bool wrapped = false; // the search went past the document's end (or start)
};

// The occurrence of `text` after the selection of `from` (Forward: starting at
// or after its end) or before it (Backward: ending at or before its start),
// continuing from the other end of the document when none is left.
FindResult findText(const QTextDocument* document, const QString& text, const QTextCursor& from,
                    FindDirection direction, const FindOptions& options);

// Whether `cursor` selects exactly one occurrence of `text`.
bool selectionMatches(const QTextCursor& cursor, const QString& text, const FindOptions& options);

// Every occurrence, left to right, none overlapping the one before: each as
// its start position.
QList<int> findAll(const QTextDocument* document, const QString& text, const FindOptions& options);

// Replaces every occurrence found by findAll with `replacement` as one
// undoable edit of `document`. Text the replacement brings in is never
// searched again. Returns how many were replaced.
int replaceAll(QTextDocument* document, const QString& text, const QString& replacement,
               const FindOptions& options);

// The find and replace bar shown under the document text. Searches and
// replaces in the view's current document; Replace and Replace All are
// disabled while the view cannot be edited.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(VelkoTextView* view, QWidget* parent = nullptr);

    QLineEdit* findField() const { return m_findField; }
    QLineEdit* replaceField() const { return m_replaceField; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QCheckBox* wholeWordsBox() const { return m_wholeWords; }
    // What the last search or replacement did ("Not found", "3 replaced"...).
    QString statusText() const;

    FindOptions options() const;

public slots:
    // Shows the bar with the find field focused, holding the selected text.
    void showFind();
    // As showFind, with the replace row visible.
    void showReplace();
    void findNext();
    void findPrevious();
    void replaceOne();
    void replaceAllOccurrences();
    void updateEditable();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void find(FindDirection direction);
    void open(bool withReplace);

    QPointer<VelkoTextView> m_view;
    QLineEdit* m_findField = nullptr;
    QLineEdit* m_replaceField = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_replaceAllButton = nullptr;
    QWidget* m_replaceRow = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace velko
