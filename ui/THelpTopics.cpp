#include "THelpTopics.h"

#include <QWidget>
#include <array>

namespace {

constexpr std::array Topics{
    THelpTopic{"TForm2", nullptr, "principal.html"},
    THelpTopic{"TForm3", nullptr, "jogo.html"},
    THelpTopic{"TForm6", nullptr, "calculadora.html"},
    THelpTopic{"TForm4", nullptr, "lexicografica.html"},
    THelpTopic{"TForm5", nullptr, "atrasadas.html"},
    THelpTopic{"TForm9", nullptr, "posicional.html"},
    THelpTopic{"TForm8", nullptr, "bayesiana.html"},
    THelpTopic{"TForm10", nullptr, "recorrencial.html"},
    THelpTopic{"TForm7", nullptr, "segmentacao.html"},
    THelpTopic{"TForm11", nullptr, "posicional-bayesiana.html"},
    THelpTopic{"TForm12", nullptr, "teste-retroativo.html"},
    THelpTopic{"TBetCheckForm", nullptr, "conferir-apostas.html"},
    THelpTopic{nullptr, "Teste retroativo", "teste-retroativo.html"},
    THelpTopic{nullptr, "Conferir apostas", "conferir-apostas.html"},
};

bool Matches(const THelpTopic& topic, const QWidget& widget) {
    if (topic.windowClass) return qstrcmp(widget.metaObject()->className(), topic.windowClass) == 0;
    const QString caption = QString::fromUtf8(topic.caption);
    const QString title = widget.windowTitle();
    return title == caption || title.startsWith(caption + QStringLiteral(":"));
}

} // namespace

std::span<const THelpTopic> THelpTopics::Table() {
    return Topics;
}

QString THelpTopics::StartPage() {
    return QStringLiteral("index.html");
}

QString THelpTopics::PageOf(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget())
        for (const THelpTopic& topic : Topics)
            if (Matches(topic, *widget)) return QString::fromUtf8(topic.page);
    return {};
}

QString THelpTopics::PageFor(const QWidget* focus, const QWidget* activeChild, const QWidget* mainWindow) {
    // The main window is an ancestor of every child: a page found above the
    // focus counts only when it is not the main window's own.
    const QString mainPage = PageOf(mainWindow);
    if (QString page = PageOf(focus); !page.isEmpty() && page != mainPage) return page;
    if (QString page = PageOf(activeChild); !page.isEmpty()) return page;
    if (!mainPage.isEmpty()) return mainPage;
    return StartPage();
}
