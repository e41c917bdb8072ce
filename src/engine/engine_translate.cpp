// The fixed translation request.
#include "engine/engine.h"

#include "translator/translator.h"

namespace velko {

// Sends the one fixed request to the translation service and waits for it;
// what comes back changes nothing here, but a service that cannot be
// reached is told rather than met with silence.
void Engine::btnTranslateToBulgarian()
{
    const QString baseUrl = translationBaseUrl.isEmpty()
                                ? translator::defaultBaseUrl()
                                : translationBaseUrl.toString(QUrl::StripTrailingSlash);
    if (const Status sent = translator::sendFixedBulgarianRequest(baseUrl); !sent)
        showFailure(Operation::Translate, sent.error());
}

} // namespace velko
