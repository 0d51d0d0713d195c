// tovisca-cli's analysis commands against the windows: for the same inputs on
// the bundled Mega-Sena history, the TSV output is the window's grid and memo
// (both written with '.' here: the program runs in the C locale) and the JSON
// numbers are those the window shows. Also: every field of the JSON schema,
// bad arguments, and seeded runs repeating exactly.
#include "CoreTestSupport.h"
#include "GuiTestSupport.h"
#include "TLexicographicAnalysis.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSlider>
#include <QSpinBox>
#include <QTableView>

#include <cmath>
#include <cstdlib>

namespace {

using namespace gui;

const std::string Mega = TOVISCA_DATA_DIR "/megasena.csv";

class CliAnalysesTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (!std::filesystem::exists(CliPath())) GTEST_SKIP() << "tovisca-cli is not built: " << CliPath();
        NumberText::SetDecimalSeparator('.');
        NumberText::SetThousandSeparator(',');
        setenv("LC_ALL", "C", 1);
    }

    CliResult Run(std::vector<std::string> args) const {
        args.insert(args.begin() + 1, Mega);
        return RunCli(args, (folder.Path() / "stderr").string());
    }
    // The TSV output of a successful run.
    std::string Tsv(const std::vector<std::string>& args) const {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        return result.out;
    }
    QJsonObject Json(std::vector<std::string> args) const {
        args.insert(args.end(), {"--format", "json"});
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.substr(0, 200);
        EXPECT_TRUE(document.isObject());
        return document.object();
    }

    template <typename Window> Window* OpenWindow(const char* action, TLottery::WindowKind kind) {
        game = Open(QString::fromStdString(Mega));
        Action(game, action)->trigger();
        auto* window = qobject_cast<Window*>(game->AnalysisWindow(kind));
        EXPECT_NE(window, nullptr);
        return window;
    }

    // The window's grid as shown, one line per row, cells separated by TAB; a
    // grid whose header is the view's header row starts with it.
    static std::string ShownGrid(const QWidget* window) {
        const auto* view = Find<QTableView>(window, "sg1");
        const QAbstractItemModel* model = view->model();
        std::string text;
        const auto line = [&text](const QStringList& cells) { text += cells.join('\t').toStdString() + "\n"; };
        if (qobject_cast<const QTableWidget*>(view) == nullptr) {
            QStringList header;
            for (int c = 0; c < model->columnCount(); ++c)
                header.append(model->headerData(c, Qt::Horizontal).toString());
            line(header);
        }
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c) cells.append(model->index(r, c).data().toString());
            line(cells);
        }
        return text;
    }
    // A grid cell of a string grid (row 0 the header).
    static QString Cell(const QWidget* window, int row, int column) {
        const QTableWidgetItem* item = Find<QTableWidget>(window, "sg1")->item(row, column);
        return item ? item->text() : QString();
    }
    static double Number(const QString& text) {
        double value = 0;
        EXPECT_TRUE(NumberText::TryParseFloat(text.trimmed().toStdString(), value)) << text;
        return value;
    }
    static std::string MemoText(const QWidget* window, const char* name = "Memo1") {
        return Find<QPlainTextEdit>(window, name)->toPlainText().toStdString() + "\n";
    }
    static QStringList MemoLines(const QWidget* window, const char* name = "Memo1") {
        return Find<QPlainTextEdit>(window, name)->toPlainText().split('\n');
    }

    TForm3* game = nullptr;
};

// Every field of each command's object, as docs/cli-json.md lists them.
void ExpectFields(const QJsonObject& object, std::initializer_list<const char*> fields) {
    for (const char* field : fields) EXPECT_TRUE(object.contains(QLatin1String(field))) << field;
    EXPECT_EQ(object.size(), static_cast<qsizetype>(fields.size())) << QJsonDocument(object).toJson().left(300).toStdString();
}

} // namespace

TEST_F(CliAnalysesTest, LexicoColumnForecastAgreesWithTheWindow) {
    auto* window = OpenWindow<TForm4>("Anliselexicogrfica1", TLottery::Lexicographic);
    ASSERT_NE(window, nullptr);
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(2);
    Click(window, "CheckBox1");
    window->Engine().Network.Seed(7);
    window->Engine().MaxPasses = 30;
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });

    const std::vector<std::string> args = {"lexico", "--column", "3", "--skip", "1", "--analyse", "--seed", "7",
                                           "--passes", "30"};
    EXPECT_EQ(Tsv(args), ShownGrid(window) + "\n" + MemoText(window));
    const QJsonObject json = Json(args);
    ExpectFields(json, {"command", "sampleSize", "notation", "column", "skip", "rows", "passes", "error", "trained",
                        "margin", "predictions", "votes"});
    EXPECT_EQ(json["sampleSize"].toInt(), 40);
    EXPECT_EQ(json["column"].toInt(), 3);
    EXPECT_EQ(json["passes"].toInt(), 30);
    EXPECT_EQ(Number(Text(window, "Edit3")), json["passes"].toInt());
    EXPECT_EQ(Text(window, "Edit2").toStdString(), NumberText::FormatExponent(json["error"].toDouble()));
    const QJsonArray rows = json["rows"].toArray();
    ASSERT_EQ(rows.size(), 40);
    for (int r = 1; r <= 40; ++r) {
        const QJsonObject row = rows[r - 1].toObject();
        EXPECT_EQ(row["draw"].toDouble(), Number(Cell(window, r, 0)));
        for (int c = 1; c <= 6; ++c)
            EXPECT_EQ(row["values"].toArray()[c - 1].toDouble(), Number(Cell(window, r, c))) << r << " " << c;
    }
    // The memo: the margin, then a block per forecast (skip 1: the fit of the
    // last draw with its distance, then the next draw).
    const QStringList memo = MemoLines(window);
    const QJsonObject margin = json["margin"].toObject();
    EXPECT_EQ(memo[0].toStdString(), "Margem de erro da rede no concurso " +
                                         std::to_string(margin["draw"].toInt()) + ": " +
                                         NumberText::FormatGeneral(margin["percent"].toDouble()) + "%");
    const QJsonArray predictions = json["predictions"].toArray();
    ASSERT_EQ(predictions.size(), 2);
    qsizetype at = 2;
    for (const QJsonValue value : predictions) {
        const QJsonObject p = value.toObject();
        ASSERT_FALSE(p["ball"].isNull()) << memo.join('|');
        EXPECT_EQ(memo[at].toStdString(), "Previsão p/ concurso " + std::to_string(p["draw"].toInt()) + ":");
        EXPECT_EQ(Number(memo[at + 1]), p["value"].toDouble());
        EXPECT_EQ(memo[at + 2].toStdString(), "Dezena prevista: " + std::to_string(p["ball"].toInt()));
        at += 3;
        if (!p["distance"].isNull()) {
            EXPECT_EQ(memo[at], "Distância da realidade:");
            EXPECT_EQ(memo[at + 1].toStdString(),
                      NumberText::FormatGeneral(p["distance"].toDouble()) + " (" +
                          NumberText::FormatGeneral(p["relativeDistance"].toDouble() * 100) + "%)");
            at += 2;
        }
        ++at; // the blank line between blocks
    }
    EXPECT_EQ(at, memo.size() + 1);
    EXPECT_EQ(predictions[1].toObject()["draw"].toInt(), 3048);
    EXPECT_TRUE(predictions[1].toObject()["distance"].isNull());
    EXPECT_EQ(json["votes"].toArray().size(), 0);
}

TEST_F(CliAnalysesTest, LexicoVotesAgreeWithTheWindowAndRepeatWithTheSeed) {
    auto* window = OpenWindow<TForm4>("Anliselexicogrfica1", TLottery::Lexicographic);
    ASSERT_NE(window, nullptr);
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(6);
    Click(window, "opErroMax");
    Find<QLineEdit>(window, "Edit4")->setText("2");
    window->Engine().Network.Seed(3);
    window->Engine().MaxPasses = 1;
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });

    const std::vector<std::string> args = {"lexico", "--analyse-all", "2", "--max-error", "0", "--seed", "3",
                                           "--passes", "1"};
    const std::string tsv = Tsv(args);
    EXPECT_EQ(tsv, ShownGrid(window) + "\n" + MemoText(window));
    EXPECT_EQ(Tsv(args), tsv);
    const QJsonObject json = Json(args);
    EXPECT_TRUE(json["column"].isNull());
    EXPECT_TRUE(json["passes"].isNull());
    EXPECT_TRUE(json["error"].isNull());
    const QJsonArray votes = json["votes"].toArray();
    ASSERT_EQ(votes.size(), 60);
    const QStringList memo = MemoLines(window);
    int total = 0;
    for (int i = 0; i < 60; ++i) {
        const QJsonObject entry = votes[i].toObject();
        EXPECT_EQ(memo[i + 2], QString::number(entry["ball"].toInt()) + "\t" +
                                   QString::number(entry["votes"].toInt()));
        total += entry["votes"].toInt();
    }
    EXPECT_EQ(total, 12); // two votes for each of the six columns

    // Decimal notation; another seed gives its own run, the same seed the same.
    const std::vector<std::string> ball = {"lexico", "--notation", "ball", "--analyse-all", "1", "--seed", "11",
                                           "--passes", "2", "--sample", "12"};
    const QJsonObject first = Json(ball);
    EXPECT_EQ(first, Json(ball));
    EXPECT_EQ(first["notation"].toString(), "ball");
    EXPECT_EQ(first["sampleSize"].toInt(), 12);
    EXPECT_EQ(first["rows"].toArray()[0].toObject()["values"].toArray().size(), 6);
}

TEST_F(CliAnalysesTest, DelayAgreesWithTheWindow) {
    auto* window = OpenWindow<TForm5>("Anliseatrasadas1", TLottery::Delay);
    ASSERT_NE(window, nullptr);
    Click(window, "opRelativo");
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(4);
    const std::vector<std::string> args = {"delay", "--view", "relative", "--ball", "5"};
    EXPECT_EQ(Tsv(args), ShownGrid(window) + "\n" + MemoText(window));

    const QJsonObject json = Json(args);
    ExpectFields(json, {"command", "view", "sampleSize", "rows", "statistics"});
    const QJsonArray rows = json["rows"].toArray();
    ASSERT_EQ(rows.size(), 3047);
    const QAbstractItemModel* model = Find<QTableView>(window, "sg1")->model();
    for (const int r : {1, 2, 1500, 3047}) {
        const QJsonObject row = rows[r - 1].toObject();
        EXPECT_EQ(row["row"].toInt(), r);
        EXPECT_EQ(row["balls"].toArray().size(), 60);
        for (int b = 1; b <= 60; ++b)
            EXPECT_EQ(row["balls"].toArray()[b - 1].toDouble(), Number(model->index(r - 1, b).data().toString()));
        EXPECT_EQ(row["mean"].toDouble(), Number(model->index(r - 1, 61).data().toString()));
        EXPECT_EQ(row["variance"].toDouble(), Number(model->index(r - 1, 62).data().toString()));
        EXPECT_EQ(row["deviation"].toDouble(), Number(model->index(r - 1, 63).data().toString()));
    }
    const QJsonObject statistics = json["statistics"].toObject();
    ExpectFields(statistics, {"ball", "firstRow", "lastRow", "slope", "trend", "positive", "negative",
                              "correlations", "theoreticalMaxDelay", "maxDelayAll", "maxDelayBall", "maxAdvanceAll",
                              "maxAdvanceBall", "theoreticalProbability", "meanProbabilityAll",
                              "meanProbabilityBall", "forecast"});
    const QStringList memo = MemoLines(window);
    EXPECT_EQ(memo[0], statistics["trend"].toString() == "draw" ? "Tendência à sorteio" : "Tendência à atraso");
    const QJsonObject positive = statistics["positive"].toObject();
    const qsizetype p = memo.indexOf("Maior correlação positiva:");
    ASSERT_GE(p, 0);
    EXPECT_EQ(memo[p + 1].toStdString(), "dezena " + std::to_string(positive["ball"].toInt()) + " em " +
                                             NumberText::FormatFixed(positive["correlation"].toDouble() * 100, 2) +
                                             "%");
    const qsizetype mean = memo.indexOf("Probabilidade média da dezena:");
    ASSERT_GE(mean, 0);
    EXPECT_NEAR(Number(memo[mean + 1]), statistics["meanProbabilityBall"].toDouble(), 5e-9);
    EXPECT_TRUE(statistics["forecast"].isNull());
    EXPECT_TRUE(statistics["maxDelayAll"].isNull());

    // The absolute view: the extremes of the memo.
    Click(window, "opAbsoluto");
    const QJsonObject absolute = Json({"delay", "--ball", "5"})["statistics"].toObject();
    const QStringList lines = MemoLines(window);
    for (const auto& [label, field] : std::vector<std::pair<QString, const char*>>{
             {"Atraso máximo teórico com 99,9% de certeza:", "theoreticalMaxDelay"},
             {"Atraso máximo real:", "maxDelayAll"},
             {"Atraso máximo da dezena:", "maxDelayBall"},
             {"Adiantamento máximo real:", "maxAdvanceAll"},
             {"Adiantamento máximo da dezena:", "maxAdvanceBall"}}) {
        const qsizetype at = lines.indexOf(label);
        ASSERT_GE(at, 0) << label;
        EXPECT_EQ(Number(lines[at + 1]), absolute[field].toDouble()) << field;
    }
    // Without --ball: the table alone.
    EXPECT_TRUE(Json({"delay", "--view", "walk"})["statistics"].isNull());
}

TEST_F(CliAnalysesTest, PositionalAgreesWithTheWindow) {
    auto* window = OpenWindow<TForm9>("Anliseposicional1", TLottery::Positional);
    ASSERT_NE(window, nullptr);
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(1);
    Click(window, "opAtraso");
    EXPECT_EQ(Tsv({"positional", "--style", "delay", "--position", "2"}), ShownGrid(window));
    const QJsonObject json = Json({"positional", "--style", "delay", "--position", "2"});
    ExpectFields(json, {"command", "sampleSize", "style", "position", "presetBall", "balls"});
    EXPECT_EQ(json["sampleSize"].toInt(), 60);
    EXPECT_EQ(json["presetBall"].toInt(), Find<QComboBox>(window, "ComboBox2")->currentIndex() + 1);
    const QJsonArray balls = json["balls"].toArray();
    ASSERT_EQ(balls.size(), 60);
    for (int b = 1; b <= 60; ++b) {
        const QJsonObject ball = balls[b - 1].toObject();
        EXPECT_EQ(ball["ball"].toInt(), b);
        ASSERT_EQ(ball["real"].toArray().size(), 50);
        for (int m = 1; m <= 50; ++m) {
            const QString cell = Cell(window, b, m);
            EXPECT_EQ(ball["real"].toArray()[m - 1].toDouble(), cell == " " ? 0 : Number(cell)) << b << " " << m;
        }
    }
    Click(window, "opTeor");
    Find<QComboBox>(window, "opFrac")->setCurrentIndex(1);
    EXPECT_EQ(Tsv({"positional", "--style", "delay", "--position", "2", "--type", "theory", "--notation",
                   "fraction"}),
              ShownGrid(window));

    // The position style, theory in percent.
    Click(window, "opPosicao");
    Find<QComboBox>(window, "opFrac")->setCurrentIndex(2);
    EXPECT_EQ(Tsv({"positional", "--type", "theory", "--notation", "percent"}), ShownGrid(window));
    const QJsonObject positions = Json({"positional"});
    EXPECT_TRUE(positions["position"].isNull());
    const QJsonObject first = positions["balls"].toArray()[0].toObject();
    ASSERT_EQ(first["probability"].toArray().size(), 6);
    EXPECT_EQ(Cell(window, 1, 1).toStdString(),
              NumberText::FormatFixed(first["probability"].toArray()[0].toDouble() * 100, 2) + "%");
    EXPECT_EQ(first["probability"].toArray()[0].toDouble(), 0.1); // C(59, 5) / C(60, 6)
}

TEST_F(CliAnalysesTest, BayesAgreesWithTheWindow) {
    auto* window = OpenWindow<TForm8>("Anlisebayesiana1", TLottery::Bayesian);
    ASSERT_NE(window, nullptr);
    const std::string tsv = Tsv({"bayes"});
    const std::string joint = ShownGrid(window);
    Click(window, "opAdadoB");
    EXPECT_EQ(tsv, joint + "\n" + ShownGrid(window));

    const QJsonObject json = Json({"bayes"});
    ExpectFields(json, {"command", "sampleSize", "probabilities", "joint", "conditional"});
    EXPECT_EQ(json["sampleSize"].toInt(), 40);
    const QJsonArray conditional = json["conditional"].toArray();
    const QJsonArray margins = json["probabilities"].toArray();
    ASSERT_EQ(conditional.size(), 60);
    for (int a = 1; a <= 60; ++a) {
        EXPECT_NEAR(margins[a - 1].toDouble(), Number(Cell(window, a, 61)), 5e-5);
        for (int b = 1; b <= 60; ++b)
            EXPECT_NEAR(conditional[a - 1].toArray()[b - 1].toDouble(), Number(Cell(window, a, b)), 5e-5);
    }
    // P(A, B) is a whole number of draws out of 40, and symmetric.
    const QJsonArray pairs = json["joint"].toArray();
    for (int a = 0; a < 60; ++a)
        for (int b = 0; b < 60; ++b) {
            const double p = pairs[a].toArray()[b].toDouble();
            EXPECT_EQ(p, pairs[b].toArray()[a].toDouble());
            EXPECT_EQ(p * 40, std::round(p * 40));
        }
}

TEST_F(CliAnalysesTest, SegmentAgreesWithTheWindowAndRepeatsWithTheSeed) {
    auto* window = OpenWindow<TForm7>("Anlisebase51", TLottery::Segmentation);
    ASSERT_NE(window, nullptr);
    Find<QLineEdit>(window, "Edit4")->setText("4");
    Find<QSlider>(window, "TrackBar1")->setValue(2);
    window->Engine().Network.Seed(5);
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });

    const std::vector<std::string> args = {"segment", "--votes", "4", "--cut", "2", "--seed", "5"};
    const std::string tsv = Tsv(args);
    EXPECT_EQ(tsv, ShownGrid(window) + "\n" + MemoText(window));
    EXPECT_EQ(Tsv(args), tsv);
    const QJsonObject json = Json(args);
    ExpectFields(json, {"command", "sampleSize", "notation", "top", "newest", "rows", "requested", "taken",
                        "trainings", "stopped", "maxWeight", "votes"});
    EXPECT_EQ(json["requested"].toInt(), 4);
    EXPECT_EQ(json["taken"].toInt(), 4);
    EXPECT_GE(json["trainings"].toInt(), 4);
    EXPECT_EQ(json["top"].toDouble(), 50063860);
    const QJsonArray rows = json["rows"].toArray();
    ASSERT_EQ(rows.size(), 40);
    EXPECT_EQ(rows[39].toObject()["draw"].toInt(), 3047);
    EXPECT_EQ(rows[39].toObject()["value"].toDouble(), json["newest"].toDouble());
    EXPECT_EQ(Number(Cell(window, 40, 1)), json["newest"].toDouble());
    const QStringList memo = MemoLines(window);
    const QJsonArray votes = json["votes"].toArray();
    ASSERT_EQ(votes.size(), 4);
    EXPECT_EQ(memo[0], "Votos: 4");
    for (int i = 0; i < 4; ++i) {
        const QJsonObject vote = votes[i].toObject();
        EXPECT_EQ(Number(memo[i + 2].section('\t', 0, 0)), vote["value"].toDouble());
        EXPECT_EQ(memo[i + 2].section('\t', 1).toStdString(),
                  NumberText::FormatFixed(vote["weight"].toDouble(), 2));
        EXPECT_EQ(vote["weight"].toDouble(), vote["rawWeight"].toDouble() / json["maxWeight"].toDouble());
    }
}

TEST_F(CliAnalysesTest, PosbayesAgreesWithTheWindow) {
    auto* window = OpenWindow<TForm11>("Anliseposicionalbayesiana1", TLottery::PositionalBayesian);
    ASSERT_NE(window, nullptr);
    Find<QSpinBox>(window, "udSampleIgnore")->setValue(1);
    const std::vector<std::string> args = {"posbayes", "--ignore", "1"};
    EXPECT_EQ(Tsv(args), ShownGrid(window) + "\n" + MemoText(window, "memoPreview"));

    const QJsonObject json = Json(args);
    ExpectFields(json, {"command", "sampleSize", "ignore", "tolerance", "lastDraw", "scoredDraw", "numbers",
                        "notBet", "bet"});
    EXPECT_EQ(json["sampleSize"].toInt(), 20);
    EXPECT_EQ(json["lastDraw"].toInt(), 3046);
    EXPECT_EQ(json["scoredDraw"].toInt(), 3047);
    const QJsonArray numbers = json["numbers"].toArray();
    ASSERT_EQ(numbers.size(), 60);
    for (int n = 1; n <= 60; ++n) {
        const QJsonObject number = numbers[n - 1].toObject();
        ExpectFields(number, {"number", "label", "notDrawn", "positions", "run"});
        EXPECT_EQ(number["label"].toInt(), Number(Cell(window, n, 0)));
        EXPECT_NEAR(number["notDrawn"].toDouble() * 100, Number(Cell(window, n, 1).chopped(1)), 0.05 + 1e-9);
        double sum = number["notDrawn"].toDouble();
        for (int p = 1; p <= 6; ++p) {
            const double value = number["positions"].toArray()[p - 1].toDouble();
            EXPECT_NEAR(value * 100, Number(Cell(window, n, p + 1).chopped(1)), 0.05 + 1e-9);
            sum += value;
        }
        EXPECT_NEAR(sum, 1, 1e-12);
        EXPECT_EQ(number["run"].toInt(), Number(Cell(window, n, 8)));
    }
    // The lists of the memo, and their scores.
    const QStringList memo = MemoLines(window, "memoPreview");
    for (const auto& [heading, field] :
         std::vector<std::pair<QString, const char*>>{{"NÃO APOSTAR EM:", "notBet"}, {"APOSTAR EM:", "bet"}}) {
        const QJsonObject list = json[QLatin1String(field)].toObject();
        ExpectFields(list, {"numbers", "correct", "incorrect", "randomMean", "randomAtLeast"});
        qsizetype at = memo.indexOf(heading);
        ASSERT_GE(at, 0);
        for (const QJsonValue number : list["numbers"].toArray()) EXPECT_EQ(Number(memo[++at]), number.toInt());
        if (list["numbers"].toArray().isEmpty()) continue;
        EXPECT_EQ(memo[at + 2].section(' ', 2, 2).toInt(), list["correct"].toInt());
        EXPECT_EQ(memo[at + 3].section(' ', 2, 2).toInt(), list["incorrect"].toInt());
    }
    // Without an ignored draw nothing is scored.
    const QJsonObject unscored = Json({"posbayes", "--tolerance", "45", "--theory-only"});
    EXPECT_TRUE(unscored["scoredDraw"].isNull());
    EXPECT_TRUE(unscored["bet"].toObject()["correct"].isNull());
    EXPECT_EQ(unscored["numbers"].toArray()[0].toObject()["run"].toInt(), 0);
}

TEST_F(CliAnalysesTest, BadArgumentsPrintTheUsageAndExitWithTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"lexico", "--column", "7"},
             {"lexico", "--column", "0"},
             {"lexico", "--notation", "decimal"},
             {"lexico", "--analyse", "--analyse-all", "3"},
             {"lexico", "--analyse-all", "3", "--column", "2"},
             {"lexico", "--analyse-all"},
             {"lexico", "--seed", "-5"},
             {"lexico", "--sample", "0"},
             {"delay", "--view", "absoluta"},
             {"delay", "--ball", "61"},
             {"delay", "--ball", "x"},
             {"positional", "--style", "grupo"},
             {"positional", "--position", "7"},
             {"bayes", "--sample", "1e3"},
             {"bayes", "extra"},
             {"segment", "--cut", "501"},
             {"segment", "--votes", "0"},
             {"segment", "--seed", "1.5"},
             {"posbayes", "--tolerance", "12"},
             {"posbayes", "--ignore", "3047"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 2) << args[1] << " " << args.back();
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("\nuso: tovisca-cli " + args[0] + " ARQUIVO [opções]\n"), std::string::npos)
            << result.err;
    }
    // A missing file: its message alone, status 1.
    const CliResult missing = RunCli({"bayes", (folder.Path() / "none.csv").string(), "--format", "json"},
                                     (folder.Path() / "stderr").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("arquivo não encontrado"), std::string::npos);
    EXPECT_EQ(missing.err.find("uso:"), std::string::npos);
}
