// Qt's own texts (file chooser, edit context menus, standard buttons) in Chinese, as the rest of
// the program is, for the program's whole life.
#pragma once

class QCoreApplication;

namespace yx {

// Loads Qt's Simplified Chinese translation from Qt's translation folder into `app`. False when
// the translation is not installed (the chrome then stays in English).
bool installQtChineseChrome(QCoreApplication& app);

} // namespace yx
