// The spider graph rendered offscreen: geometry, ranges, legend, mouse
// tracking and copies, checked against hand-worked numbers and pixels.
#include "TQSpiderGraph.h"
#include "NumberText.h"
#include "TQSGLine.h"
#include "TQSpiderAxe.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

QRgb PixelAt(const QImage& image, QPoint p) {
    return image.pixel(p) & 0xffffffu;
}

constexpr QRgb Navy = 0x000080u; // the web's colour

void MoveMouse(TQSpiderGraph& graph, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), graph.mapToGlobal(QPointF(at)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&graph, &event);
}

class SpiderGraph : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        graph.resize(201, 201); // centre (100, 100), radius 9 * (201 div 20) = 90
        graph.SetBackGround(TQSpiderGraph::bgColored);
    }
    void TearDown() override { NumberText::SetDecimalSeparator('.'); }
    // Axes without captions, which could cover their ends.
    void BareAxes(int count) {
        graph.SetAxesCount(count);
        for (int i = 0; i < count; ++i) graph.Axes(i)->SetCaption("");
    }

    TQSpiderGraph graph;
};

} // namespace

TEST_F(SpiderGraph, CountsHaveLowerLimits) {
    graph.SetAxesCount(2);
    EXPECT_EQ(graph.axesCount(), 3);
    EXPECT_EQ(graph.EndPoints().size(), 4u);
    for (int n : {0, 1}) {
        graph.SetLinesCount(n);
        EXPECT_EQ(graph.linesCount(), 1) << n;
        EXPECT_NE(graph.MouseBox(0), nullptr);
        EXPECT_EQ(graph.MouseBox(1), nullptr);
    }
    // A new axis count leaves one empty line.
    graph.SetLinesCount(4);
    graph.Lines(2)->SetValues(std::vector<float>{1, 2, 3});
    graph.SetAxesCount(5);
    EXPECT_EQ(graph.linesCount(), 1);
    EXPECT_FALSE(graph.Lines(0)->hasValues());
    EXPECT_EQ(graph.Lines(0)->values().size(), 5u);
}

TEST_F(SpiderGraph, AxesEndOnTheRimAndTheDiagonalsOfEightOnePixelLower) {
    BareAxes(4);
    QImage image = graph.grab().toImage();
    const QPoint c = graph.Center();
    const QPoint ends[] = {{100, 10}, {190, 100}, {100, 190}, {10, 100}};
    const QPoint outward[] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(graph.Axes(i)->angle(), 90.0f * i);
        EXPECT_EQ(graph.EndPoints()[static_cast<size_t>(i)], ends[i]) << i;
        // The spoke runs straight along the centre's row or column.
        EXPECT_EQ(PixelAt(image, ends[i]), Navy) << i;
        EXPECT_EQ(PixelAt(image, (c + ends[i]) / 2), Navy) << i;
        EXPECT_NE(PixelAt(image, ends[i] + outward[i] * 3), Navy) << i;
    }

    // Diagonal ends are truncated; 45° (trunc(100 + 63.64), trunc(100 - 63.64))
    // and 225° are then moved one pixel lower.
    BareAxes(8);
    image = graph.grab().toImage();
    for (int i = 0; i < 8; ++i) {
        const double a = (45.0 * i - 90.0) * std::numbers::pi / 180.0;
        const auto coordinate = [i](double v) {
            return static_cast<int>(i % 2 == 0 ? std::lround(v) : std::trunc(v));
        };
        const QPoint end(coordinate(100 + 90 * std::cos(a)),
                         coordinate(100 + 90 * std::sin(a)) + (i % 4 == 1));
        EXPECT_EQ(graph.EndPoints()[static_cast<size_t>(i)], end) << "axis " << i;
        EXPECT_EQ(PixelAt(image, end), Navy) << "axis " << i;
    }
    EXPECT_EQ(graph.EndPoints()[1], QPoint(163, 37));
    EXPECT_EQ(graph.EndPoints()[3], QPoint(163, 163));
}

TEST_F(SpiderGraph, ValuesMapFromCentreToRim) {
    graph.SetAxesCount(4);
    graph.Axes(1)->SetMinValue(10);
    graph.Axes(1)->SetMaxValue(20);
    TQSGLine& line = *graph.Lines(0);
    line.SetColor(QColor(0, 160, 0));
    line.SetValues(std::vector<float>{0, 20, 50, 100});
    const QImage image = graph.grab().toImage();
    const auto& p = line.points();
    EXPECT_EQ(p[0], graph.Center());   // minValue: the centre
    EXPECT_EQ(p[1], QPoint(190, 100)); // maxValue: the rim
    EXPECT_EQ(p[2], QPoint(100, 145)); // half way down
    EXPECT_EQ(p[4], p[0]);             // the polygon is closed
    EXPECT_EQ(PixelAt(image, p[1]), 0x00a000u);
    // Values outside the range go past the centre or the rim; values that
    // cannot be screen points still give drawable ones.
    EXPECT_EQ(graph.ValueToPoint(*graph.Axes(2), -50), QPoint(100, 55));
    EXPECT_EQ(graph.ValueToPoint(*graph.Axes(2), 200), QPoint(100, 280));
    EXPECT_GT(graph.ValueToPoint(*graph.Axes(1), 3e38f).x(), 190);
    EXPECT_EQ(graph.ValueToPoint(*graph.Axes(1), std::nanf("")), graph.Center());

    // An empty range (minValue = maxValue) puts every value on the centre.
    graph.SetAxesCount(4);
    graph.Axes(0)->SetMinValue(7);
    graph.Axes(0)->SetMaxValue(7);
    for (float v : {-1000.0f, 0.0f, 7.0f, 1e6f})
        EXPECT_EQ(graph.ValueToPoint(*graph.Axes(0), v), graph.Center());
}

TEST_F(SpiderGraph, FixedRangeEndsKeepEveryValueInside) {
    graph.SetAxesCount(3);
    TQSpiderAxe& axe = *graph.Axes(0);
    graph.Lines(0)->SetValues(std::vector<float>{3, 50, 60});
    axe.SetMinValue(5); // above the data minimum 3: refused
    EXPECT_EQ(axe.minValue(), 0.0f);
    axe.SetMinValue(3);
    EXPECT_EQ(axe.minValue(), 3.0f);
    axe.SetMaxValue(2); // below the data maximum: refused
    EXPECT_EQ(axe.maxValue(), 100.0f);

    // A fixed range widens to take in new values, never narrows. A short
    // array leaves the other axes at their minimum; a long one is cut.
    graph.SetAxesCount(3);
    graph.SetLinesCount(2);
    graph.Lines(0)->SetValues(std::vector<float>{-20, 50, 130});
    EXPECT_EQ(graph.Axes(0)->minValue(), -20.0f);
    EXPECT_EQ(graph.Axes(1)->minValue(), 0.0f);
    EXPECT_EQ(graph.Axes(2)->maxValue(), 130.0f);
    graph.Lines(1)->SetValues(std::vector<float>{10});
    EXPECT_EQ(graph.Lines(1)->values(), (std::vector<float>{10, 0, 0}));
    graph.Lines(1)->SetValues(std::vector<float>{1, 2, 3, 4, 5});
    EXPECT_EQ(graph.Lines(1)->values(), (std::vector<float>{1, 2, 3}));
}

TEST_F(SpiderGraph, AutoRangesWidenByATwentiethAndFollowTheData) {
    graph.SetAxesCount(3);
    graph.SetAxesAutoSized(true);
    // 0..100: min 0 - 100/20 = -5; max 100 + (5 + 100)/20 = 105.25.
    EXPECT_FLOAT_EQ(graph.Axes(0)->minValue(), -5.0f);
    EXPECT_FLOAT_EQ(graph.Axes(0)->maxValue(), 105.25f);
    // An empty range at 0: the minimum goes to -1, the maximum reads it.
    TQSpiderAxe& zero = *graph.Axes(1);
    zero.SetMinValue(0);
    zero.SetMaxValue(0);
    zero.SetAutoMin(true);
    zero.SetAutoMax(true);
    EXPECT_EQ(zero.minValue(), -1.0f);
    EXPECT_FLOAT_EQ(zero.maxValue(), 0.05f);

    // New axes copy the flags; the data range 2..10 is widened at the paint:
    // min 2 - 12/20 = 1.4, max 10 + 11.4/20 = 10.57. Painting the same data
    // again gives the same range, not a wider one each time.
    graph.SetAxesCount(3);
    graph.SetLinesCount(2);
    graph.Lines(0)->SetValues(std::vector<float>{10, 1, 1});
    graph.Lines(1)->SetValues(std::vector<float>{2, 1, 1});
    EXPECT_EQ(graph.Axes(0)->minValue(), 2.0f);
    EXPECT_EQ(graph.Axes(0)->maxValue(), 10.0f);
    for (int pass = 0; pass < 3; ++pass) {
        graph.Lines(1)->SetValues(std::vector<float>{2, 1, 1});
        graph.grab();
        EXPECT_FLOAT_EQ(graph.Axes(0)->minValue(), 1.4f);
        EXPECT_FLOAT_EQ(graph.Axes(0)->maxValue(), 10.57f);
    }
}

TEST_F(SpiderGraph, LinesBoxWrapsItsItemsIntoRowsAndIsRebuiltOnChange) {
    graph.resize(160, 400);
    graph.SetShowLinesCaption(true);
    graph.SetLinesCount(5);
    const QStringList captions{"Alfa", "Beta", "Gama longa", "D", "Epsilon"};
    for (int i = 0; i < 5; ++i) graph.Lines(i)->SetCaption(captions[i]);
    graph.Lines(0)->SetValues(std::vector<float>{1, 2, 3});
    graph.grab();
    // Hand layout: items of text width + 28 go left to right while the row
    // stays within 160 - 4 pixels.
    const QFontMetrics fm(graph.linesBoxFont(), &graph);
    std::vector<int> rows{0};
    for (const QString& c : captions) {
        const int w = fm.horizontalAdvance(c) + 28;
        if (rows.back() > 0 && rows.back() + w > 156) rows.push_back(0);
        rows.back() += w;
    }
    ASSERT_GT(rows.size(), 1u) << "the captions should not fit in one row";
    EXPECT_EQ(graph.LinesBox().height(), static_cast<int>(rows.size()) * (fm.height() + 2) + 3);
    EXPECT_EQ(graph.LinesBox().width(), *std::max_element(rows.begin(), rows.end()));

    // A colour change shows in the next paint's legend (line 0's swatch).
    const QPoint swatch(14, (fm.height() + 2 - 5) / 2 + 1 + 2);
    EXPECT_EQ(PixelAt(graph.LinesBox(), swatch), 0xff0000u);
    graph.Lines(0)->SetColor(QColor(0, 0, 255));
    EXPECT_FALSE(graph.LinesBoxValid());
    graph.grab();
    EXPECT_EQ(PixelAt(graph.LinesBox(), swatch), 0x0000ffu);
    // A wider control puts everything in one row.
    graph.resize(1000, 400);
    graph.grab();
    EXPECT_EQ(graph.LinesBox().height(), fm.height() + 2 + 3);
}

TEST_F(SpiderGraph, MouseFindsTheTopmostLineOfItsColourAndReportsEnterAndExit) {
    graph.SetAxesCount(4);
    graph.SetLinesCount(3);
    for (int i = 0; i < 3; ++i) graph.Lines(i)->SetColor(Qt::blue); // line 2 has no values: never found
    graph.Lines(0)->SetValues(std::vector<float>{50, 50, 50, 50});
    graph.Lines(1)->SetValues(std::vector<float>{80, 80, 80, 80});
    graph.show();
    graph.grab();
    std::vector<int> entered, left;
    QObject::connect(&graph, &TQSpiderGraph::OnMouseEnterLine, [&](int i) { entered.push_back(i); });
    QObject::connect(&graph, &TQSpiderGraph::OnMouseExitLine, [&](int i) { left.push_back(i); });

    // On line 0's vertex, which has the colour of line 1: the higher index.
    const QPoint onLine0 = graph.Lines(0)->points()[1];
    MoveMouse(graph, onLine0);
    EXPECT_EQ(graph.HighlightedLine(), 1);
    QLabel* box = graph.MouseBox(1);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->pos(), onLine0 + QPoint(15, 0));
    // One pixel off still hits (the test looks at the four neighbours).
    MoveMouse(graph, onLine0 + QPoint(0, 1));
    EXPECT_EQ(box->pos(), onLine0 + QPoint(15, 1));
    // Empty space: the box goes and the exit is reported.
    MoveMouse(graph, graph.Center() + QPoint(7, 23));
    EXPECT_EQ(graph.HighlightedLine(), -1);
    EXPECT_FALSE(box->isVisible());

    // From one line straight to another.
    graph.Lines(0)->SetColor(QColor(0, 128, 0));
    graph.grab();
    MoveMouse(graph, graph.Lines(1)->points()[2]);
    MoveMouse(graph, graph.Lines(0)->points()[2]);
    EXPECT_EQ(entered, (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(left, (std::vector<int>{1, 1}));
    EXPECT_TRUE(graph.MouseBox(0)->isVisible());
    EXPECT_FALSE(box->isVisible());
    // Turning tracking off hides the box and leaves the line.
    graph.SetTrackMouseMoves(false);
    EXPECT_FALSE(graph.MouseBox(0)->isVisible());
    EXPECT_EQ(left, (std::vector<int>{1, 1, 0}));
}

TEST_F(SpiderGraph, MouseBoxTextIsLaidOutInColumns) {
    graph.SetAxesCount(3);
    graph.SetLinesCount(3);
    graph.Lines(2)->SetCaption("");
    graph.Lines(2)->SetValues(std::vector<float>{1.5f, 10, 0.25f});
    // Lc = 1, Lv = 4 ("0,25"); W = max(1 + 4 + 5, 9 + 2) = 11; the title
    // gets (11 - 9) div 2 + 1 = 2 spaces on each side.
    EXPECT_EQ(graph.MouseBoxText(2), QString("  Line N° 2  \r\n"
                                             " 0 : 1,5\r\n"
                                             " 1 : 10\r\n"
                                             " 2 : 0,25"));
    // Long captions widen the columns; values keep 7 significant digits.
    // W = 7 + 9 + 5 = 21: the odd padding of the title puts one more space
    // at its right.
    graph.Axes(0)->SetCaption("Bola 10");
    graph.Lines(1)->SetCaption("Negativa");
    graph.Lines(1)->SetValues(std::vector<float>{1.0f / 3.0f, -2, 4});
    EXPECT_EQ(graph.MouseBoxText(1), QString(7, ' ') + "Negativa" + QString(8, ' ') +
                                         "\r\n Bola 10 : 0,3333333\r\n 1       : -2\r\n 2       : 4");
}

TEST_F(SpiderGraph, CopyToBitmapReproducesTheWidget) {
    EXPECT_FALSE(graph.CopyToBitmap(nullptr));
    graph.SetTitleCaption("Cópia");
    graph.SetBackGround(TQSpiderGraph::bgTopBottom);
    graph.SetBackGStartColor(Qt::yellow);
    graph.SetPolygonFill(true);
    graph.Lines(0)->SetValues(std::vector<float>{10, 90, 40, 70, 20, 60, 30});
    QImage bitmap(5, 5, QImage::Format_RGB32);
    ASSERT_TRUE(graph.CopyToBitmap(&bitmap));
    EXPECT_EQ(bitmap, graph.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(SpiderGraph, TwelveAxesTwoLinesPicture) {
    graph.resize(520, 460);
    graph.SetBackGround(TQSpiderGraph::bgTopBottom);
    graph.SetTitleCaption("Teia de correlação");
    graph.SetAxesCount(12);
    graph.SetLinesCount(2);
    graph.SetShowLinesCaption(true);
    graph.SetAxesCaptionsFramed(true);
    TQSGLine& pos = *graph.Lines(0);
    TQSGLine& neg = *graph.Lines(1);
    pos.SetCaption("Positiva");
    pos.SetColor(Qt::blue);
    neg.SetCaption("Negativa");
    neg.SetColor(Qt::red);
    graph.SetShowLinesPoints(true);
    std::vector<float> p(12), n(12);
    for (int b = 0; b < 12; ++b) {
        graph.Axes(b)->SetCaption(QString::number(b + 1));
        graph.Axes(b)->SetMinValue(0);
        graph.Axes(b)->SetMaxValue(1);
        const float c = static_cast<float>(std::sin(b * 1.3) * 0.8);
        p[static_cast<size_t>(b)] = b == 4 ? 1.0f : std::max(c, 0.0f);
        n[static_cast<size_t>(b)] = std::max(-c, 0.0f);
    }
    pos.SetValues(p);
    neg.SetValues(n);
    graph.show();
    const QImage image = graph.grab().toImage();
    if (const QByteArray path = qgetenv("TOVISCA_SPIDER_PNG"); !path.isEmpty()) image.save(QString(path));

    // Axis 4 (120°) holds 1 on the positive line: its vertex is the end point.
    EXPECT_EQ(pos.points()[4], graph.EndPoints()[4]);
    EXPECT_EQ(PixelAt(image, pos.points()[4]), 0x0000ffu);
    // The title lies above the web; the legend holds both items in one row,
    // under the web.
    EXPECT_LT(graph.TitleRect().bottom(), graph.EndPoints()[0].y());
    EXPECT_EQ(graph.LinesBox().height(), QFontMetrics(graph.linesBoxFont(), &graph).height() + 2 + 3);
    EXPECT_GT(460 - 2 - graph.LinesBox().height(), graph.EndPoints()[6].y());
    // Pointing at the vertex shows the line's values beside the pointer.
    MoveMouse(graph, pos.points()[4]);
    ASSERT_EQ(graph.HighlightedLine(), 0);
    EXPECT_TRUE(graph.MouseBox(0)->isVisible());
    EXPECT_NE(graph.grab().toImage(), image);
}
