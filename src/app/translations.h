// Qt's own Chinese translations, so that the standard dialogs and buttons (the open-file dialog,
// message boxes, the sheets' buttons) speak the program's language.
#pragma once

class QCoreApplication;

namespace hdmjm {

// Makes Chinese (China) the default locale and installs Qt's Chinese catalogues on `application`.
// False when none was found: Qt's English texts then stand where a translation is missing.
bool InstallChineseTranslations(QCoreApplication& application);

}  // namespace hdmjm
