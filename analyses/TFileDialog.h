#pragma once
// File dialogs of the analysis windows (open and save, one filter, a default
// extension; the save dialog asks before overwriting). Tests script the
// chosen names: in scripted mode each dialog takes the next queued name, an
// empty name or none queued standing for Cancel.
#include <QString>
#include <QStringList>

class QWidget;

class TFileDialog {
public:
    // The chosen file, or an empty string when cancelled.
    static QString OpenFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix);
    static QString SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix);

    static void Script(const QStringList& names);
    static void StopScripting();
    static bool Scripted();
};
