#pragma once
// Qt's own texts in Russian for the window and for every command-line tool alike.
namespace vi23 {

// Makes Russia the default locale and loads Qt's Russian translations (file, print and message
// dialogs, Qt's file error texts) into the running application; false when the translation files
// are not installed.
bool useRussianLanguage();

} // namespace vi23
