#include "engine/engine.h"

#include "engine/documentbuilder.h"
#include "engine/errortext.h"
#include "feedback/childwindow.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"
#include "rtf/rtf.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QTextDocument>

#include <utility>

namespace velko {

Engine::Engine(QObject* parent) : QObject(parent) {}

Engine::~Engine() = default;

// --- The document window's cipher pop-up -----------------------------------

void Engine::btnPopUpCipherBlowfishSelected()
{
    state->cipher = kCipherBlowfish;
}

void Engine::btnPopUpCipherDES3Selected()
{
    state->cipher = kCipherDes3;
}

void Engine::btnPopUpCipherRC5Selected()
{
    state->cipher = kCipherRc5;
}

void Engine::btnPopUpCipherRC4Selected()
{
    state->cipher = kCipherRc4;
}

void Engine::btnPopUpCipherAES256Selected()
{
    state->cipher = kCipherAes256;
}

void Engine::selectCipher(const QString& option)
{
    const int index = allCipherOptions().indexOf(option);
    if (index < 0)
        return;
    if (cipherPopUpButton) {
        const QSignalBlocker blocker(cipherPopUpButton);
        cipherPopUpButton->setCurrentIndex(index);
    }
    state->cipher = option;
}

// --- About box ---------------------------------------------------------------

void Engine::btnShowAboutBox()
{
    attachChildWindow(mainWindow, aboutWindowOpen);
}

void Engine::btnAboutBoxClose()
{
    detachChildWindow(mainWindow, aboutWindowOpen);
}

// --- Shared by the commands ----------------------------------------------------

void Engine::showFailure(Operation operation, const Error& error, QWidget* focusAfter)
{
    const QString what = failureTitle(operation);
    QMessageBox* alert = createNotice(mainWindow, QMessageBox::Warning, what);
    alert->setInformativeText(userMessage(error));
    m_focusAfterFailure = focusAfter;
    if (focusAfter)
        connect(alert, &QMessageBox::finished, this, &Engine::restoreFocusAfterFailure);
    alert->open();
}

void Engine::restoreFocusAfterFailure()
{
    returnFocusTo(m_focusAfterFailure);
}

void Engine::showPathInLabelAndTitle(const QString& path)
{
    setFileNameLabel->setText(path);
    mainWindow->setWindowTitle(path);
}

Status Engine::buildDocument(const QByteArray& rtf, PendingDocument pending, BuiltDocument then)
{
    // 1. What the reader would refuse is refused now, before anything changes.
    if (Status readable = rtf::check(rtf); !readable)
        return readable;
    // 2. A build still running is called off: its command changes nothing.
    if (m_builder)
        m_builder->cancel();
    m_pending = std::move(pending);
    m_afterBuild = then;
    // 3. The document starts in the font of the one shown.
    const QFont font = VelkoField->document()->defaultFont();
    if (rtf.size() < backgroundBuildBytes) {
        auto* document = new QTextDocument;
        document->setDefaultFont(font);
        if (!rtf::read(rtf, document)) {
            delete document;
            document = nullptr;
        }
        documentBuilt(document);
        return {};
    }
    m_builder = new DocumentBuilder(mainWindow, rtf, font, VelkoField->preparerForBuild(), this);
    connect(m_builder, &DocumentBuilder::finished, this, &Engine::documentBuilt);
    m_builder->start(progressAfterMs);
    return {};
}

void Engine::documentBuilt(QTextDocument* document)
{
    if (const BuiltDocument then = std::exchange(m_afterBuild, nullptr))
        (this->*then)(document);
    else
        delete document;
}

} // namespace velko
