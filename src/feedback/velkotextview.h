#pragma once

#include "core/result.h"

#include <QFont>
#include <QTextEdit>

#include <functional>

namespace velko {

// The document's rich-text view. Every change the user makes (typing,
// deleting, pasting, dropping, undo and redo, formatting) is reported through
// userTextChanged(). Text that a command puts in goes through the *FromCode
// members or a CodeChange scope and is never reported.
class VelkoTextView : public QTextEdit
{
    Q_OBJECT
public:
    explicit VelkoTextView(QWidget* parent = nullptr);

    // Marks changes made while it lives as the program's own.
    class CodeChange
    {
    public:
        explicit CodeChange(VelkoTextView* view) : m_view(view) { ++m_view->m_codeChangeDepth; }
        ~CodeChange() { --m_view->m_codeChangeDepth; }
        CodeChange(const CodeChange&) = delete;
        CodeChange& operator=(const CodeChange&) = delete;

    private:
        VelkoTextView* m_view;
    };

    // Empties the view for a new document, which starts in the font given
    // to setNewDocumentFont(), whatever the last document's was.
    void clearFromCode();
    // The font new documents start in; the one open keeps its own until New.
    void setNewDocumentFont(const QFont& font) { m_newDocumentFont = font; }
    QFont newDocumentFont() const { return m_newDocumentFont; }
    // Empties the text in one step that Undo brings back.
    void clearUndoably();
    void setPlainTextFromCode(const QString& text);
    // Replaces the whole text with the rich text of `rtf`. The view is left
    // as it was when the data cannot be read.
    Status setRtfFromCode(const QByteArray& rtf);
    // Shows a document built from RTF elsewhere in place of the one shown;
    // the view owns it from now on.
    void showDocumentFromCode(QTextDocument* document);
    // What a document built elsewhere for the view is given while still
    // empty, on the thread that builds it (marks that follow its text); the
    // function must be safe to run there. Empty: nothing.
    using DocumentPreparer = std::function<void(QTextDocument* document)>;
    void setDocumentPreparer(DocumentPreparer preparer) { m_preparer = std::move(preparer); }
    DocumentPreparer documentPreparer() const { return m_preparer; }
    // The preparer for a build that starts now: what makes one (the spelling
    // dictionary) is told first, so a document opened before it was ready
    // is not marked afterwards, on this thread, block by block.
    DocumentPreparer preparerForBuild()
    {
        emit documentBuildStarting();
        return m_preparer;
    }
    void setWholeTextColorFromCode(const QColor& color);

    QByteArray rtfOfWholeText() const;
    bool isEmpty() const;

    // Text cut or copied while this is on is offered as secret data
    // (feedback/clipboardguard.h).
    void setSecretClipboard(bool secret) { m_secretClipboard = secret; }
    // Takes the document out of the view, with its undo history, and gives
    // the view an empty one: nothing of it is drawn or reachable through the
    // view any more. `owner` owns the document until it is given back.
    QTextDocument* takeDocument(QObject* owner);
    // Shows a document taken earlier again; the view owns it from now on.
    void restoreDocument(QTextDocument* document);

signals:
    void userTextChanged();
    // setRtfFromCode() put a new document in the view.
    void documentReplaced(QTextDocument* document);
    // A document is about to be built elsewhere for the view.
    void documentBuildStarting();
    // A new document starts in another font than the last one.
    void defaultFontChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    // Pictures pasted or dropped, as images or as picture files, go into the
    // text; everything else as QTextEdit takes it.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void adoptDocument(QTextDocument* document);
    void onContentsChange(int position, int charsRemoved, int charsAdded);
    void leaveFieldResultAtItsEnd();

    DocumentPreparer m_preparer;
    int m_codeChangeDepth = 0;
    bool m_secretClipboard = false;
    QFont m_newDocumentFont;
};

} // namespace velko
