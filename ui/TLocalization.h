#pragma once
// The program's language and number format, set once at start-up from the
// system locale: Qt's own Portuguese texts for its standard dialogs and
// buttons ("Cancelar", "Sim", "Não"), and one decimal separator for grids,
// memos and charts alike.
//
// Qt reads the locale from the environment by itself, while the C++ library
// needs the locale generated on the machine; the number texts follow Qt's
// reading so that a chart never disagrees with the grid beside it.
#include <QLocale>
#include <QString>

class QCoreApplication;

class TLocalization {
public:
    // Loads the Qt translations for the given locale (the system's by
    // default) and sets the number texts' separators from it. A missing
    // translation file leaves the standard texts in English and is no error.
    // Returns the names of the translation files loaded.
    static QStringList Install(QCoreApplication& app, const QLocale& locale = QLocale::system());
    // The locale charts format their numbers with: the number texts' decimal
    // separator, no group separators (as the grids).
    static QLocale NumberLocale();
};
