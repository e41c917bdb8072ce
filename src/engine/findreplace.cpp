#include "engine/findreplace.h"

#include "feedback/velkotextview.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

namespace velko {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_');
}

Qt::CaseSensitivity sensitivity(const FindOptions& options)
{
    return options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

bool isWholeWordAt(const QString& text, qsizetype start, qsizetype length)
{
    if (start > 0 && isWordChar(text.at(start - 1)) && isWordChar(text.at(start)))
        return false;
    const qsizetype end = start + length;
    if (end < text.size() && isWordChar(text.at(end)) && isWordChar(text.at(end - 1)))
        return false;
    return true;
}

// First match in `text` starting at or after `from`; -1 when none.
qsizetype firstMatchIn(const QString& text, const QString& needle, qsizetype from,
                       const FindOptions& options)
{
    for (qsizetype at = text.indexOf(needle, from, sensitivity(options)); at >= 0;
         at = text.indexOf(needle, at + 1, sensitivity(options))) {
        if (!options.wholeWords || isWholeWordAt(text, at, needle.size()))
            return at;
    }
    return -1;
}

// Last match in `text` starting at or before `from`; -1 when none.
qsizetype lastMatchIn(const QString& text, const QString& needle, qsizetype from,
                      const FindOptions& options)
{
    if (from < 0)
        return -1;
    for (qsizetype at = text.lastIndexOf(needle, from, sensitivity(options)); at >= 0;
         at = at == 0 ? -1 : text.lastIndexOf(needle, at - 1, sensitivity(options))) {
        if (!options.wholeWords || isWholeWordAt(text, at, needle.size()))
            return at;
    }
    return -1;
}

QTextCursor selectionOf(const QTextDocument* document, int start, int length)
{
    QTextCursor cursor(const_cast<QTextDocument*>(document));
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    return cursor;
}

// The first match at or after `position`, up to the document's end.
int searchForward(const QTextDocument* document, const QString& needle, int position,
                  const FindOptions& options)
{
    for (QTextBlock block = document->findBlock(position); block.isValid(); block = block.next()) {
        const qsizetype from = qMax(0, position - block.position());
        const qsizetype at = firstMatchIn(block.text(), needle, from, options);
        if (at >= 0)
            return block.position() + int(at);
    }
    return -1;
}

// The last match ending at or before `limit`, back to the document's start.
int searchBackward(const QTextDocument* document, const QString& needle, int limit,
                   const FindOptions& options)
{
    QTextBlock block = document->findBlock(limit);
    if (!block.isValid())
        block = document->lastBlock();
    for (; block.isValid(); block = block.previous()) {
        const QString text = block.text();
        const qsizetype latestStart =
            qMin<qsizetype>(limit - block.position(), text.size()) - needle.size();
        const qsizetype at = lastMatchIn(text, needle, latestStart, options);
        if (at >= 0)
            return block.position() + int(at);
    }
    return -1;
}

} // namespace

FindResult findText(const QTextDocument* document, const QString& text, const QTextCursor& from,
                    FindDirection direction, const FindOptions& options)
{
    FindResult result;
    if (text.isEmpty())
        return result;
    const int length = int(text.size());
    if (direction == FindDirection::Forward) {
        int at = searchForward(document, text, from.isNull() ? 0 : from.selectionEnd(), options);
        if (at < 0) {
            at = searchForward(document, text, 0, options);
            result.wrapped = true;
        }
        if (at >= 0)
            result.match = selectionOf(document, at, length);
    } else {
        const int end = document->characterCount() - 1;
        int at =
            searchBackward(document, text, from.isNull() ? end : from.selectionStart(), options);
        if (at < 0) {
            at = searchBackward(document, text, end, options);
            result.wrapped = true;
        }
        if (at >= 0)
            result.match = selectionOf(document, at, length);
    }
    if (result.match.isNull())
        result.wrapped = false;
    return result;
}

bool selectionMatches(const QTextCursor& cursor, const QString& text, const FindOptions& options)
{
    if (text.isEmpty() || !cursor.hasSelection())
        return false;
    const int start = cursor.selectionStart();
    if (cursor.selectionEnd() - start != text.size())
        return false;
    const QTextBlock block = cursor.document()->findBlock(start);
    const QString blockText = block.text();
    const qsizetype offset = start - block.position();
    if (offset + text.size() > blockText.size())
        return false;
    if (QStringView(blockText).mid(offset, text.size()).compare(text, sensitivity(options)) != 0)
        return false;
    return !options.wholeWords || isWholeWordAt(blockText, offset, text.size());
}

QList<int> findAll(const QTextDocument* document, const QString& text, const FindOptions& options)
{
    QList<int> starts;
    if (text.isEmpty())
        return starts;
    for (int at = searchForward(document, text, 0, options); at >= 0;
         at = searchForward(document, text, at + int(text.size()), options))
        starts.append(at);
    return starts;
}

int replaceAll(QTextDocument* document, const QString& text, const QString& replacement,
               const FindOptions& options)
{
    const QList<int> starts = findAll(document, text, options);
    if (starts.isEmpty())
        return 0;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    // From the end backwards, so the positions still to come stay valid.
    for (auto it = starts.crbegin(); it != starts.crend(); ++it) {
        cursor.setPosition(*it);
        cursor.setPosition(*it + int(text.size()), QTextCursor::KeepAnchor);
        cursor.insertText(replacement);
    }
    cursor.endEditBlock();
    return int(starts.size());
}

// --- The bar -----------------------------------------------------------------

FindBar::FindBar(VelkoTextView* view, QWidget* parent) : QWidget(parent), m_view(view)
{
    setObjectName(QStringLiteral("findBar"));
    setAccessibleName(tr("Find and replace"));

    auto* findLabel = new QLabel(tr("&Find:"), this);
    m_findField = new QLineEdit(this);
    m_findField->setObjectName(QStringLiteral("findField"));
    m_findField->setAccessibleName(tr("Find"));
    m_findField->setClearButtonEnabled(true);
    findLabel->setBuddy(m_findField);
    auto* previous = new QPushButton(tr("&Previous"), this);
    previous->setObjectName(QStringLiteral("findPreviousButton"));
    auto* next = new QPushButton(tr("&Next"), this);
    next->setObjectName(QStringLiteral("findNextButton"));
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    m_matchCase->setObjectName(QStringLiteral("matchCaseBox"));
    m_wholeWords = new QCheckBox(tr("&Whole words"), this);
    m_wholeWords->setObjectName(QStringLiteral("wholeWordsBox"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("findStatus"));
    m_status->setAccessibleName(tr("Find result"));
    auto* done = new QPushButton(tr("&Done"), this);
    done->setObjectName(QStringLiteral("findDoneButton"));

    auto* findRow = new QHBoxLayout;
    findRow->setContentsMargins(0, 0, 0, 0);
    findRow->addWidget(findLabel);
    findRow->addWidget(m_findField, 1);
    findRow->addWidget(previous);
    findRow->addWidget(next);
    findRow->addWidget(m_matchCase);
    findRow->addWidget(m_wholeWords);
    findRow->addWidget(m_status);
    findRow->addWidget(done);

    m_replaceRow = new QWidget(this);
    auto* replaceLabel = new QLabel(tr("R&eplace with:"), m_replaceRow);
    m_replaceField = new QLineEdit(m_replaceRow);
    m_replaceField->setObjectName(QStringLiteral("replaceField"));
    m_replaceField->setAccessibleName(tr("Replace with"));
    replaceLabel->setBuddy(m_replaceField);
    m_replaceButton = new QPushButton(tr("&Replace"), m_replaceRow);
    m_replaceButton->setObjectName(QStringLiteral("replaceButton"));
    m_replaceAllButton = new QPushButton(tr("Replace &All"), m_replaceRow);
    m_replaceAllButton->setObjectName(QStringLiteral("replaceAllButton"));
    auto* replaceRow = new QHBoxLayout(m_replaceRow);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    replaceRow->addWidget(replaceLabel);
    replaceRow->addWidget(m_replaceField, 1);
    replaceRow->addWidget(m_replaceButton);
    replaceRow->addWidget(m_replaceAllButton);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(findRow);
    column->addWidget(m_replaceRow);

    connect(m_findField, &QLineEdit::returnPressed, this, &FindBar::findNext);
    connect(m_replaceField, &QLineEdit::returnPressed, this, &FindBar::replaceOne);
    connect(next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(previous, &QPushButton::clicked, this, &FindBar::findPrevious);
    connect(m_replaceButton, &QPushButton::clicked, this, &FindBar::replaceOne);
    connect(m_replaceAllButton, &QPushButton::clicked, this, &FindBar::replaceAllOccurrences);
    connect(done, &QPushButton::clicked, this, [this] {
        hide();
        if (m_view)
            m_view->setFocus();
    });
    m_findField->installEventFilter(this);
    m_replaceField->installEventFilter(this);

    updateEditable();
    hide();
}

FindOptions FindBar::options() const
{
    return FindOptions{m_matchCase->isChecked(), m_wholeWords->isChecked()};
}

QString FindBar::statusText() const
{
    return m_status->text();
}

void FindBar::showFind()
{
    open(false);
}

void FindBar::showReplace()
{
    open(true);
}

void FindBar::open(bool withReplace)
{
    m_replaceRow->setVisible(withReplace);
    if (m_view && m_view->textCursor().hasSelection()) {
        const QString selected = m_view->textCursor().selectedText();
        if (!selected.contains(QChar::ParagraphSeparator))
            m_findField->setText(selected);
    }
    m_status->clear();
    show();
    m_findField->setFocus();
    m_findField->selectAll();
}

void FindBar::findNext()
{
    find(FindDirection::Forward);
}

void FindBar::findPrevious()
{
    find(FindDirection::Backward);
}

void FindBar::find(FindDirection direction)
{
    if (!m_view || m_findField->text().isEmpty())
        return;
    const FindResult result = findText(m_view->document(), m_findField->text(),
                                       m_view->textCursor(), direction, options());
    if (result.match.isNull()) {
        m_status->setText(tr("Not found"));
        return;
    }
    m_status->setText(result.wrapped ? tr("Wrapped") : QString());
    m_view->setTextCursor(result.match);
    m_view->ensureCursorVisible();
}

void FindBar::replaceOne()
{
    if (!m_view || m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    if (selectionMatches(cursor, m_findField->text(), options())) {
        cursor.insertText(m_replaceField->text());
        m_view->setTextCursor(cursor);
    }
    findNext();
}

void FindBar::replaceAllOccurrences()
{
    if (!m_view || m_view->isReadOnly())
        return;
    const int count =
        replaceAll(m_view->document(), m_findField->text(), m_replaceField->text(), options());
    m_status->setText(count == 0 ? tr("Not found") : tr("%n replaced", nullptr, count));
}

void FindBar::updateEditable()
{
    const bool editable = m_view && !m_view->isReadOnly();
    m_replaceButton->setEnabled(editable);
    m_replaceAllButton->setEnabled(editable);
    m_replaceField->setEnabled(editable);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            hide();
            if (m_view)
                m_view->setFocus();
            return true;
        }
        if (watched == m_findField &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ShiftModifier)) {
            findPrevious();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velko
