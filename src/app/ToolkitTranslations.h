// The toolkit's own texts (file dialog, standard buttons, edit menus) in the operator's
// language.
#pragma once

class QCoreApplication;
class QTranslator;

namespace ortavo {

// Installs the toolkit's translations for the default locale (the system's unless changed),
// when they are present, and returns them (owned by application); the toolkit's English
// texts stay otherwise and null is returned. The program's own texts are not translated.
QTranslator* LoadToolkitTranslations(QCoreApplication& application);

} // namespace ortavo
