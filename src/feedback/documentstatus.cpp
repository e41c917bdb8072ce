#include "feedback/documentstatus.h"

#include "core/documentstate.h"
#include "engine/textedit/textcounts.h"
#include "feedback/velkotextview.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace velko {

QString documentStateText(const DocumentState& state, TextShown shown)
{
    QString text;
    if (state.isLastSavedASecureFile && shown == TextShown::Locked)
        text = QObject::tr("Secure document (%1), locked").arg(cipherDisplayName(state.cipher));
    else if (state.isLastSavedASecureFile && shown == TextShown::SecureOutput)
        text = QObject::tr("Secure document (%1), its locked text shown read-only")
                   .arg(cipherDisplayName(state.cipher));
    else if (state.isLastSavedASecureFile)
        text = QObject::tr("Secure document (%1)").arg(cipherDisplayName(state.cipher));
    else if (state.hasDefaultFileName())
        text = QObject::tr("New document");
    else
        text = QObject::tr("Plain RTF document");
    if (state.textChanged)
        text += QObject::tr(", unsaved changes");
    return text;
}

DocumentStatus::DocumentStatus(QStatusBar* bar, VelkoTextView* view, const DocumentState* state)
    : QObject(bar), m_view(view), m_state(state), m_stateLabel(new QLabel(bar)),
      m_countsLabel(new QLabel(bar)), m_countLater(new QTimer(this))
{
    m_stateLabel->setObjectName(QStringLiteral("documentStateLabel"));
    m_stateLabel->setAccessibleName(tr("Document state"));
    m_countsLabel->setObjectName(QStringLiteral("documentCountsLabel"));
    m_countsLabel->setAccessibleName(tr("Words and characters"));
    bar->addWidget(m_stateLabel, 1);
    bar->addPermanentWidget(m_countsLabel);
    m_countLater->setSingleShot(true);
    m_countLater->setInterval(250);
    connect(m_countLater, &QTimer::timeout, this, &DocumentStatus::count);
    connect(view, &QTextEdit::textChanged, this, &DocumentStatus::refresh);
    connect(view, &VelkoTextView::userTextChanged, this, &DocumentStatus::refresh);
    refresh();
    count();
}

void DocumentStatus::refresh()
{
    const TextShown shown = m_locked               ? TextShown::Locked
                            : m_view->isReadOnly() ? TextShown::SecureOutput
                                                   : TextShown::Document;
    m_stateLabel->setText(documentStateText(*m_state, shown));
    m_countLater->start();
}

void DocumentStatus::setLocked(bool locked)
{
    m_locked = locked;
    refresh();
    count(); // at once: no counts of the text linger once it is out of sight
}

QString DocumentStatus::stateText() const
{
    return m_stateLabel->text();
}

QString DocumentStatus::countsText() const
{
    return m_countsLabel->text();
}

void DocumentStatus::count()
{
    if (m_locked) {
        m_countsLabel->clear();
        return;
    }
    const textedit::TextCounts counts = textedit::countText(*m_view->document());
    const QString words = counts.words == 1 ? tr("1 word") : tr("%L1 words").arg(counts.words);
    const QString characters =
        counts.characters == 1 ? tr("1 character") : tr("%L1 characters").arg(counts.characters);
    m_countsLabel->setText(words + QStringLiteral(", ") + characters);
}

} // namespace velko
