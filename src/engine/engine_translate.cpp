// The fixed translation request, and the window that shows its answer.
#include "engine/engine.h"

#include "feedback/childwindow.h"
#include "translator/httpfetch.h"
#include "translator/translator.h"

#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace velko {

// Sends the one fixed request to the translation service. The window stays
// usable while it waits: the answer comes to translationAnswered. A second
// press while one request is under way waits for that one.
void Engine::btnTranslateToBulgarian()
{
    if (m_translation)
        return;
    const QString baseUrl = translationBaseUrl.isEmpty()
                                ? translator::defaultBaseUrl()
                                : translationBaseUrl.toString(QUrl::StripTrailingSlash);
    const int timeoutMs =
        translationTimeoutMs > 0 ? translationTimeoutMs : translator::kFixedRequestTimeoutMs;
    m_translation = new HttpFetch(this);
    connect(m_translation, &HttpFetch::answered, this, &Engine::translationAnswered,
            Qt::QueuedConnection);
    mainWindow->statusBar()->showMessage(tr("Asking the translation service…"));
    m_translation->start(translator::fixedBulgarianRequest(baseUrl), timeoutMs);
}

// What came back is shown in the translation window; a service that could
// not be reached, or did not answer in time, is told in an alert.
void Engine::translationAnswered()
{
    const Result<HttpAnswer> answer = m_translation->result();
    m_translation->deleteLater();
    m_translation = nullptr;
    mainWindow->statusBar()->clearMessage();
    if (!answer) {
        showFailure(Operation::Translate, answer.error());
        return;
    }
    translationText->setPlainText(translator::readableAnswer(answer.value()));
    attachChildWindow(mainWindow, translationWindow);
}

void Engine::btnTranslationClose()
{
    detachChildWindow(mainWindow, translationWindow);
}

} // namespace velko
