#pragma once
// Which page of the manual belongs to which window: F1 opens the page of the
// window that holds the focus. One line of the table per window; a window is
// recognised by its class name or, for a window known only by its caption,
// by that caption (the window title up to ": file name").
#include <QString>
#include <span>

class QWidget;

struct THelpTopic {
    const char* windowClass; // class name, or nullptr to match by caption
    const char* caption;     // window caption (UTF-8), or nullptr
    const char* page;        // the manual page, relative to the manual's root
};

class THelpTopics {
public:
    static std::span<const THelpTopic> Table();
    // The start page of the manual.
    static QString StartPage();
    // The page of the first window in the table among widget and its
    // ancestors; an empty string when none is in the table.
    static QString PageOf(const QWidget* widget);
    // The page for F1: the window holding the focus, else the active child
    // window, else the main window; the start page when none is known.
    static QString PageFor(const QWidget* focus, const QWidget* activeChild, const QWidget* mainWindow);
};
