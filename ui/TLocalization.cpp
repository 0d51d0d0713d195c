#include "TLocalization.h"

#include "NumberText.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

QStringList TLocalization::Install(QCoreApplication& app, const QLocale& locale) {
    QStringList loaded;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qtbase holds the dialogs and buttons; qt_help the help viewer's texts.
    for (const QString& catalogue : {QStringLiteral("qtbase"), QStringLiteral("qt_help")}) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(locale, catalogue, QStringLiteral("_"), folder)) continue;
        loaded << translator->filePath();
        // A loaded translator belongs to the application, which deletes its
        // children when it goes.
        translator->setParent(&app);
        QCoreApplication::installTranslator(translator.release());
    }
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    // Separators of more than one byte (none in the languages the program
    // speaks) keep the C++ library's reading.
    if (decimal.size() == 1 && decimal.at(0).unicode() < 128)
        NumberText::SetDecimalSeparator(static_cast<char>(decimal.at(0).unicode()));
    if (group.size() == 1 && group.at(0).unicode() < 128)
        NumberText::SetThousandSeparator(static_cast<char>(group.at(0).unicode()));
    return loaded;
}

QLocale TLocalization::NumberLocale() {
    QLocale locale = NumberText::DecimalSeparator() == ',' ? QLocale(QLocale::Portuguese, QLocale::Brazil)
                                                           : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}
