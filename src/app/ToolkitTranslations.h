// The toolkit's own texts (file dialog, standard buttons, edit menus) in the operator's
// language.
#pragma once

class QCoreApplication;

namespace ortavo {

// Installs the toolkit's translations for the system locale, when they are present; the
// toolkit's English texts stay otherwise. The program's own texts are not translated.
void LoadToolkitTranslations(QCoreApplication& application);

} // namespace ortavo
