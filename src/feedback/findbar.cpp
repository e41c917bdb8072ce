#include "feedback/findbar.h"

#include "feedback/velkotextview.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velko {

FindBar::FindBar(VelkoTextView* view, QWidget* parent) : QWidget(parent), m_view(view)
{
    setObjectName(QStringLiteral("findBar"));
    setAccessibleName(tr("Find and replace"));

    auto* findLabel = new QLabel(tr("Fi&nd:"), this);
    m_findField = new QLineEdit(this);
    m_findField->setObjectName(QStringLiteral("findField"));
    m_findField->setAccessibleName(tr("Find"));
    m_findField->setClearButtonEnabled(true);
    findLabel->setBuddy(m_findField);
    auto* previous = new QPushButton(tr("&Previous"), this);
    previous->setObjectName(QStringLiteral("findPreviousButton"));
    auto* next = new QPushButton(tr("Ne&xt"), this);
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
    auto* replaceLabel = new QLabel(tr("Rep&lace with:"), m_replaceRow);
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
