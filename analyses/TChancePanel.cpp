#include "TChancePanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

TChancePanel::TChancePanel(QWidget* parent) : QGroupBox(QStringLiteral("Acaso"), parent) {
    setObjectName(QStringLiteral("GroupBoxAcaso"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    verdict_ = new QLabel(this);
    verdict_->setObjectName(QStringLiteral("lbAcaso"));
    verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(verdict_);
    grid_ = new QTableWidget(0, 0, this);
    grid_->setObjectName(QStringLiteral("sgAcaso"));
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(grid_, 1);
    setMaximumHeight(190);
}

void TChancePanel::SetTest(const TChanceTest& test) {
    SetTests({test});
}

void TChancePanel::SetTests(const std::vector<TChanceTest>& tests) {
    std::vector<std::vector<std::string>> cells;
    QStringList summaries;
    for (const TChanceTest& test : tests) {
        if (!cells.empty()) cells.emplace_back();
        const auto block = test.Cells();
        cells.insert(cells.end(), block.begin(), block.end());
        summaries.append(QString::fromStdString(test.Summary()));
    }
    verdict_->setText(summaries.join(QStringLiteral("; ")));
    size_t columns = 1;
    for (const auto& row : cells) columns = std::max(columns, row.size());
    grid_->setUpdatesEnabled(false);
    grid_->clearContents();
    grid_->clearSpans();
    grid_->setRowCount(static_cast<int>(cells.size()));
    grid_->setColumnCount(static_cast<int>(columns));
    for (size_t r = 0; r < cells.size(); ++r) {
        for (size_t c = 0; c < cells[r].size(); ++c)
            grid_->setItem(static_cast<int>(r), static_cast<int>(c),
                           new QTableWidgetItem(QString::fromStdString(cells[r][c])));
        // A note reads across the row.
        if (cells[r].size() == 1 && columns > 1)
            grid_->setSpan(static_cast<int>(r), 0, 1, static_cast<int>(columns));
    }
    grid_->resizeColumnsToContents();
    const int widest = grid_->fontMetrics().horizontalAdvance(QStringLiteral("Frequência das bolas")) + 16;
    for (int c = 0; c < grid_->columnCount(); ++c)
        grid_->setColumnWidth(c, std::min(grid_->columnWidth(c), widest));
    grid_->setUpdatesEnabled(true);
}

void TChancePanel::SetMessage(const QString& text) {
    verdict_->setText(text);
    grid_->clearContents();
    grid_->setRowCount(0);
}
