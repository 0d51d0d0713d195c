// What a Brazilian user sees around the analyses: Qt's standard dialogs in
// Portuguese, one decimal separator in grids and charts, whole-number ticks on
// counting axes, number fields that show their start, and tables and charts
// saved to files that open again.
#include "GuiTestSupport.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TExport.h"
#include "TLocalization.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QValueAxis>
#include <algorithm>

namespace {

using namespace gui;

QStringList ButtonTexts(const QWidget* dialog) {
    QStringList texts;
    for (const QPushButton* button : dialog->findChildren<QPushButton*>()) texts << button->text().remove('&');
    return texts;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll();
}

TEST(Localization, StandardDialogsSpeakPortugueseUnderABrazilianLocale) {
    const QStringList loaded = TLocalization::Install(*QCoreApplication::instance(), QLocale(QLocale::Portuguese, QLocale::Brazil));
    ASSERT_FALSE(loaded.isEmpty()) << "qtbase_pt_BR.qm is installed by scripts/setup";
    EXPECT_EQ(NumberText::DecimalSeparator(), ',');
    EXPECT_EQ(NumberText::ThousandSeparator(), '.');

    QMessageBox question(QMessageBox::Question, "Tovisca", "Atualizar?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.button(QMessageBox::Yes)->text().remove('&'), "Sim");
    EXPECT_EQ(question.button(QMessageBox::No)->text().remove('&'), "Não");

    QInputDialog input;
    input.setOption(QInputDialog::NoButtons, false);
    input.show();
    EXPECT_TRUE(ButtonTexts(&input).contains("Cancelar")) << ButtonTexts(&input).join('|');
    input.hide();

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setAcceptMode(QFileDialog::AcceptOpen);
    files.show();
    const QStringList texts = ButtonTexts(&files);
    EXPECT_TRUE(texts.contains("Abrir")) << texts.join('|');
    EXPECT_TRUE(texts.contains("Cancelar")) << texts.join('|');
    files.hide();

    // The C locale brings the dot back (and English dialogs, which the
    // translators already installed do not undo: one locale per run).
    TLocalization::Install(*QCoreApplication::instance(), QLocale::c());
    EXPECT_EQ(NumberText::DecimalSeparator(), '.');
    NumberText::SetDecimalSeparator(',');
    NumberText::SetThousandSeparator('.');
}

TEST(ChartNumbers, AxesUseTheGridsDecimalSeparatorAndWholeTicksForCounts) {
    NumberText::SetDecimalSeparator(',');
    TChartView chart;
    chart.resize(600, 400);
    chart.show();
    EXPECT_TRUE(chart.chart()->localizeNumbers());
    EXPECT_EQ(chart.chart()->locale().decimalPoint(), ",");

    // Hits per contest: counts on both axes, a range of a few units where a
    // plain round step would be 0,5.
    TChartSeries& hits = chart.AddBarSeries("Acertos");
    for (int x = 1; x <= 3; ++x) hits.Append(x, x % 3);
    chart.Redraw();
    QApplication::processEvents();
    const auto axes = chart.chart()->axes();
    ASSERT_EQ(axes.size(), 2);
    for (QAbstractAxis* axis : axes) {
        const double step = qobject_cast<QValueAxis*>(axis)->tickInterval();
        EXPECT_GE(step, 1.0);
        EXPECT_EQ(step, std::trunc(step));
    }

    // Fractions keep fractional steps.
    hits.Clear();
    for (int x = 0; x < 5; ++x) hits.Append(x, 0.1 * x);
    chart.Redraw();
    QApplication::processEvents();
    auto* left = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(left, nullptr);
    EXPECT_LT(left->tickInterval(), 1.0);

    NumberText::SetDecimalSeparator('.');
    TChartView plain;
    EXPECT_EQ(plain.chart()->locale().decimalPoint(), ".");
    NumberText::SetDecimalSeparator(',');
}

TEST(ChartNumbers, PieOfSixtySlicesListsEveryNameAndLabelsOnlyWideSlices) {
    TChartView chart;
    chart.resize(700, 400);
    chart.show();
    TChartSeries& share = chart.AddPieSeries("Share");
    share.SetMarksVisible(true);
    // One wide slice and 59 thin ones.
    share.AppendLabelled(1, 100, "1");
    for (int ball = 2; ball <= 60; ++ball) share.AppendLabelled(ball, 1, QString::number(ball));
    chart.Redraw();
    QApplication::processEvents();
    const QStringList entries = chart.LegendEntries();
    ASSERT_EQ(entries.size(), 60);
    EXPECT_EQ(entries.first(), "1");
    EXPECT_EQ(entries.last(), "60");
    auto* pie = qobject_cast<QPieSeries*>(share.QtSeries());
    ASSERT_NE(pie, nullptr);
    const QList<QPieSlice*> slices = pie->slices();
    EXPECT_TRUE(slices.first()->isLabelVisible());
    EXPECT_EQ(std::count_if(slices.begin(), slices.end(),
                            [](const QPieSlice* slice) { return slice->isLabelVisible(); }),
              1);
    // The list is drawn into copies of the chart.
    const QImage picture = chart.Picture();
    EXPECT_FALSE(picture.isNull());

    // A few slices keep the chart's own legend.
    share.Clear();
    for (int i = 1; i <= 4; ++i) share.AppendLabelled(i, i, QString::number(i));
    chart.Redraw();
    EXPECT_EQ(chart.LegendEntries(), (QStringList{"1", "2", "3", "4"}));
    chart.SetLegendVisible(false);
    EXPECT_TRUE(chart.LegendEntries().isEmpty());
}

TEST(TableExport, CsvCellsAreSemicolonSeparatedAndQuotedOnlyWhenNeeded) {
    const QList<QStringList> rows{{"Concurso", "Bola 1", "Média"}, {"1", "4", "86,4915"}, {"a;b", "diz \"x\"", ""}};
    EXPECT_EQ(TExport::CsvText(rows),
              "Concurso;Bola 1;Média\r\n1;4;86,4915\r\n\"a;b\";\"diz \"\"x\"\"\";\r\n");
    EXPECT_EQ(TExport::SplitGridText("A\tB\t\r\n1\t\t\r\n"), (QList<QStringList>{{"A", "B"}, {"1", ""}}));
}

class SavedFiles : public WindowTest {};

TEST_F(SavedFiles, TableAndChartOfAnAnalysisWindowReopen) {
    TForm3* game = Open();
    Action(game, "Anliselexicogrfica1")->trigger();
    auto* window = qobject_cast<TAnalysisForm*>(game->AnalysisWindow(TLottery::Lexicographic));
    ASSERT_NE(window, nullptr);
    Find<QSpinBox>(window, "UpDown1")->setValue(10);
    auto* grid = Find<QTableWidget>(window, "sg1");
    auto* popup = Find<QMenu>(window, "PopupMenu1");
    RightClick(grid);
    QStringList captions = Captions(popup->actions());
    popup->hide();
    EXPECT_EQ(captions.mid(0, 3), (QStringList{"Copiar", "Salvar tabela...", "Salvar gráfico..."}));

    TFileDialog::Script({PathOf("tabela.csv")});
    Action(window, "Salvartabela1")->trigger();
    const QByteArray csv = ReadAll(PathOf("tabela.csv"));
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF")) << "UTF-8 with its mark, for spreadsheets";
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 11);
    EXPECT_EQ(lines.value(0), "Concurso;CSN 1;CSN 2;CSN 3;CSN 4;CSN 5;CSN 6");
    EXPECT_EQ(lines.value(1).split(';').value(0), grid->item(1, 0)->text());

    TChartView* chart = window->findChild<TChartView*>();
    ASSERT_NE(chart, nullptr);
    RightClick(chart);
    popup->hide();
    TFileDialog::Script({PathOf("g.png"), PathOf("g.svg"), PathOf("g.pdf")});
    for (int i = 0; i < 3; ++i) Action(window, "Salvargrafico1")->trigger();
    const QImage png(PathOf("g.png"));
    EXPECT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), chart->size());
    QSvgRenderer svg(PathOf("g.svg"));
    EXPECT_TRUE(svg.isValid());
    const QByteArray pdf = ReadAll(PathOf("g.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty()) << TMessageBox::Last();

    // A folder that cannot be written to: a message, and no half file.
    TFileDialog::Script({PathOf("nenhuma/pasta/t.csv")});
    Action(window, "Salvartabela1")->trigger();
    EXPECT_TRUE(TMessageBox::Last().startsWith("Não foi possível salvar")) << TMessageBox::Last();
    EXPECT_FALSE(QFile::exists(PathOf("nenhuma/pasta/t.csv")));
}

TEST_F(SavedFiles, GameWindowSavesItsDrawsAndChart) {
    TForm3* game = Open();
    TFileDialog::Script({PathOf("sorteios.csv"), PathOf("sorteios.svg")});
    Action(game, "Salvartabela1")->trigger();
    Action(game, "Salvargrafico1")->trigger();
    const QStringList lines = QString::fromUtf8(ReadAll(PathOf("sorteios.csv")).mid(3)).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), game->Lottery()->DrawCount + 1);
    EXPECT_TRUE(QSvgRenderer(PathOf("sorteios.svg")).isValid());
}

TEST_F(SavedFiles, LongNumberFieldsShowTheirStart) {
    TForm3* game = Open();
    Action(game, "Anliselexicogrfica1")->trigger();
    auto* window = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
    ASSERT_NE(window, nullptr);
    window->Engine().MaxPasses = 1;
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });
    auto* error = Find<QLineEdit>(window, "Edit2");
    EXPECT_FALSE(error->text().isEmpty());
    EXPECT_EQ(error->cursorPosition(), 0);
    EXPECT_EQ(error->toolTip(), error->text());
}

} // namespace
