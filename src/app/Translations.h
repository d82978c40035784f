#pragma once

class QCoreApplication;

namespace Translations {

// Qt's own texts in Portuguese: standard buttons, file and font dialogs, context menus. European Portuguese
// where Qt has it, Brazilian for the rest; a missing catalogue leaves the English text.
void install(QCoreApplication& app);

} // namespace Translations
