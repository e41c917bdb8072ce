// The fixed translation request.
#include "engine/engine.h"

#include "translator/translator.h"

namespace velko {

// Sends the one fixed request to the translation service and waits for it;
// whatever comes back, or a failure, changes nothing here.
void Engine::btnTranslateToBulgarian()
{
    const QString baseUrl = translationBaseUrl.isEmpty()
                                ? translator::defaultBaseUrl()
                                : translationBaseUrl.toString(QUrl::StripTrailingSlash);
    translator::sendFixedBulgarianRequest(baseUrl);
}

} // namespace velko
