// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Shows Quillmere's texts, and Qt's own (the buttons of its dialogs), in the user's language as
// the environment names it (LANGUAGE, LC_ALL, LC_MESSAGES, LANG). English needs nothing: it is
// the source of every text. Month folder names follow the locale by themselves.
void installTranslations(QCoreApplication &app);
