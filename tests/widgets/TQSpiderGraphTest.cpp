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

const QRgb Navy = qRgb(0, 0, 128);

QRgb PixelAt(const QImage& image, QPoint p) {
    return image.pixel(p) & 0xffffffu;
}

bool IsNavy(const QImage& image, QPoint p) {
    return PixelAt(image, p) == (Navy & 0xffffffu);
}

void MoveMouse(TQSpiderGraph& graph, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), graph.mapToGlobal(QPointF(at)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&graph, &event);
}

class SpiderGraph : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        graph.resize(201, 201);
        graph.SetBackGround(TQSpiderGraph::bgColored);
    }
    void TearDown() override { NumberText::SetDecimalSeparator('.'); }

    TQSpiderGraph graph;
};

} // namespace

TEST_F(SpiderGraph, DefaultsCountsAndTheirLowerLimits) {
    EXPECT_EQ(graph.axesCount(), 7);
    EXPECT_EQ(graph.linesCount(), 1);
    ASSERT_NE(graph.Axes(6), nullptr);
    EXPECT_EQ(graph.Axes(6)->caption(), "6");
    EXPECT_EQ(graph.Axes(3)->minValue(), 0.0f);
    EXPECT_EQ(graph.Axes(3)->maxValue(), 100.0f);
    EXPECT_EQ(graph.Axes(7), nullptr);
    EXPECT_EQ(graph.Axes(-1), nullptr);
    TQSGLine& line = *graph.Lines(0);
    EXPECT_EQ(line.caption(), " ");
    EXPECT_EQ(line.color(), QColor(255, 0, 0));
    EXPECT_EQ(line.penWidth(), 2);
    EXPECT_FALSE(line.hasValues());
    EXPECT_EQ(line.values().size(), 7u);
    EXPECT_EQ(graph.Lines(1), nullptr);

    graph.SetAxesCount(2);
    EXPECT_EQ(graph.axesCount(), 3);
    EXPECT_EQ(graph.EndPoints().size(), 4u);
    EXPECT_EQ(graph.EndPoints().back(), graph.EndPoints().front());

    for (int n : {0, 1}) {
        graph.SetLinesCount(n);
        EXPECT_EQ(graph.linesCount(), 1) << n;
        EXPECT_NE(graph.MouseBox(0), nullptr);
        EXPECT_EQ(graph.MouseBox(1), nullptr);
    }
    graph.SetLinesCount(4);
    EXPECT_EQ(graph.linesCount(), 4);
    ASSERT_NE(graph.MouseBox(3), nullptr);
    EXPECT_TRUE(graph.MouseBox(3)->isHidden());

    // A new axis count leaves one empty line.
    graph.Lines(2)->SetValues(std::vector<float>{1, 2, 3});
    graph.SetAxesCount(5);
    EXPECT_EQ(graph.linesCount(), 1);
    EXPECT_FALSE(graph.Lines(0)->hasValues());
    EXPECT_EQ(graph.Lines(0)->values().size(), 5u);

    for (int bad : {0, 256, -3}) {
        graph.SetDefaultPenWidth(bad);
        EXPECT_EQ(graph.defaultPenWidth(), 1) << bad;
        EXPECT_EQ(graph.Lines(0)->penWidth(), 1) << bad;
    }
    graph.SetDefaultPenWidth(255);
    EXPECT_EQ(graph.Lines(0)->penWidth(), 255);
    graph.Lines(0)->SetPenWidth(0);
    EXPECT_EQ(graph.Lines(0)->penWidth(), 1);
}

TEST_F(SpiderGraph, FourAxesEndExactlyAboveRightBelowAndLeftOfTheCentre) {
    graph.SetAxesCount(4);
    for (int i = 0; i < 4; ++i) graph.Axes(i)->SetCaption(""); // captions may cover the ends
    const QImage image = graph.grab().toImage();
    // 201 x 201: centre (100, 100), R = 9 * (201 div 20) = 90.
    const QPoint c = graph.Center();
    ASSERT_EQ(c, QPoint(100, 100));
    ASSERT_EQ(graph.Radius(), 90);
    const float angles[] = {0, 90, 180, 270};
    const QPoint ends[] = {{100, 10}, {190, 100}, {100, 190}, {10, 100}};
    const QPoint outward[] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(graph.Axes(i)->angle(), angles[i]);
        EXPECT_EQ(graph.EndPoints()[static_cast<size_t>(i)], ends[i]) << i;
        // The spoke runs straight along the centre's row or column.
        EXPECT_TRUE(IsNavy(image, ends[i])) << i;
        EXPECT_TRUE(IsNavy(image, (c + ends[i]) / 2)) << i;
        EXPECT_FALSE(IsNavy(image, ends[i] + outward[i] * 3)) << i;
    }
}

TEST_F(SpiderGraph, EightAxesPutTheDiagonalEndsAtFortyFiveAndTwoTwentyFiveOnePixelLower) {
    graph.SetAxesCount(8);
    for (int i = 0; i < 8; ++i) graph.Axes(i)->SetCaption("");
    const QImage image = graph.grab().toImage();
    const QPoint c = graph.Center();
    const double r = graph.Radius();
    for (int i = 0; i < 8; ++i) {
        const double a = (45.0 * i - 90.0) * std::numbers::pi / 180.0;
        int x = static_cast<int>(std::trunc(c.x() + r * std::cos(a)));
        int y = static_cast<int>(std::trunc(c.y() + r * std::sin(a)));
        if (i % 2 == 0) { // on the centre's row or column
            x = std::lround(c.x() + r * std::cos(a));
            y = std::lround(c.y() + r * std::sin(a));
        }
        if (i == 1 || i == 5) y += 1;
        EXPECT_EQ(graph.EndPoints()[static_cast<size_t>(i)], QPoint(x, y)) << "axis " << i;
        EXPECT_TRUE(IsNavy(image, QPoint(x, y))) << "axis " << i;
    }
    // 45°: trunc(100 + 63.6396) = 163, trunc(100 - 63.6396) = 36, then one lower.
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
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0], graph.Center());   // minValue: the centre
    EXPECT_EQ(p[1], QPoint(190, 100)); // maxValue: the rim
    EXPECT_EQ(p[2], QPoint(100, 145)); // half way down
    EXPECT_EQ(p[3], QPoint(10, 100));  // rim on the left
    EXPECT_EQ(p[4], p[0]);
    EXPECT_EQ(PixelAt(image, p[1]), qRgb(0, 160, 0) & 0xffffffu);
    EXPECT_EQ(PixelAt(image, p[2]), qRgb(0, 160, 0) & 0xffffffu);

    // A value below the range lands on the opposite side of the centre.
    EXPECT_EQ(graph.ValueToPoint(*graph.Axes(2), -50), QPoint(100, 55));
    EXPECT_EQ(graph.ValueToPoint(*graph.Axes(2), 200), QPoint(100, 280));
    // Values that cannot be screen points still give drawable ones.
    const QPoint far = graph.ValueToPoint(*graph.Axes(1), 3e38f);
    EXPECT_GT(far.x(), 190);
    EXPECT_EQ(graph.ValueToPoint(*graph.Axes(1), std::nanf("")), graph.Center());

    // An empty range puts every value on the centre.
    graph.SetAxesCount(4);
    graph.Axes(0)->SetMinValue(7);
    graph.Axes(0)->SetMaxValue(7);
    for (float v : {-1000.0f, 0.0f, 7.0f, 1e6f})
        EXPECT_EQ(graph.ValueToPoint(*graph.Axes(0), v), graph.Center());
}

TEST_F(SpiderGraph, FixedRangeEndsKeepEveryValueInside) {
    graph.SetAxesCount(3);
    TQSpiderAxe& axe = *graph.Axes(0);
    // Without data any end is accepted.
    axe.SetMinValue(40);
    EXPECT_EQ(axe.minValue(), 40.0f);
    axe.SetMinValue(0);

    graph.Lines(0)->SetValues(std::vector<float>{3, 50, 60});
    axe.SetMinValue(5); // above the data minimum 3: refused
    EXPECT_EQ(axe.minValue(), 0.0f);
    EXPECT_FALSE(axe.autoMin());
    axe.SetMinValue(3);
    EXPECT_EQ(axe.minValue(), 3.0f);
    axe.SetMaxValue(2); // below the data maximum: refused
    EXPECT_EQ(axe.maxValue(), 100.0f);
    axe.SetMaxValue(3);
    EXPECT_EQ(axe.maxValue(), 3.0f);

    // A fixed range widens to take in new values, never narrows.
    graph.SetAxesCount(3);
    graph.SetLinesCount(2);
    graph.Lines(0)->SetValues(std::vector<float>{-20, 50, 130});
    EXPECT_EQ(graph.Axes(0)->minValue(), -20.0f);
    EXPECT_EQ(graph.Axes(1)->minValue(), 0.0f);
    EXPECT_EQ(graph.Axes(1)->maxValue(), 100.0f);
    EXPECT_EQ(graph.Axes(2)->maxValue(), 130.0f);
    // A short array: the other axes take their minimum.
    graph.Lines(1)->SetValues(std::vector<float>{10});
    EXPECT_EQ(graph.Lines(1)->values(), (std::vector<float>{10, 0, 0}));
    // A long array: the extra values are ignored.
    graph.Lines(1)->SetValues(std::vector<float>{1, 2, 3, 4, 5});
    EXPECT_EQ(graph.Lines(1)->values(), (std::vector<float>{1, 2, 3}));
}

TEST_F(SpiderGraph, AutoRangesWidenByATwentiethAndFollowTheData) {
    graph.SetAxesCount(3);
    graph.SetAxesAutoSized(true);
    // 0..100: min 0 - 100/20 = -5; max 100 + (5 + 100)/20 = 105.25.
    EXPECT_FLOAT_EQ(graph.Axes(0)->minValue(), -5.0f);
    EXPECT_FLOAT_EQ(graph.Axes(0)->maxValue(), 105.25f);

    TQSpiderAxe& zero = *graph.Axes(1);
    zero.SetMinValue(0);
    zero.SetMaxValue(0);
    zero.SetAutoMin(true);
    zero.SetAutoMax(true); // reads the minimum -1: 0 + 1/20
    EXPECT_EQ(zero.minValue(), -1.0f);
    EXPECT_FLOAT_EQ(zero.maxValue(), 0.05f);
    zero.SetMinValue(0);
    zero.SetMaxValue(0);
    zero.SetAutoMax(true);
    EXPECT_EQ(zero.maxValue(), 1.0f);

    // New axes copy the flags; the data range 2..10 is widened at the paint:
    // min 2 - 12/20 = 1.4, max 10 + 11.4/20 = 10.57.
    graph.SetAxesCount(3);
    ASSERT_TRUE(graph.Axes(0)->autoMin());
    graph.SetLinesCount(2);
    graph.Lines(0)->SetValues(std::vector<float>{10, 1, 1});
    graph.Lines(1)->SetValues(std::vector<float>{2, 1, 1});
    EXPECT_EQ(graph.Axes(0)->minValue(), 2.0f);
    EXPECT_EQ(graph.Axes(0)->maxValue(), 10.0f);
    graph.grab();
    EXPECT_FLOAT_EQ(graph.Axes(0)->minValue(), 1.4f);
    EXPECT_FLOAT_EQ(graph.Axes(0)->maxValue(), 10.57f);

    // Setting the same data again and painting gives the same range, not a
    // wider one each time.
    for (int pass = 0; pass < 3; ++pass) {
        graph.Lines(1)->SetValues(std::vector<float>{2, 1, 1});
        graph.grab();
    }
    EXPECT_FLOAT_EQ(graph.Axes(0)->minValue(), 1.4f);
    EXPECT_FLOAT_EQ(graph.Axes(0)->maxValue(), 10.57f);
}

TEST_F(SpiderGraph, TitleLinesBoxAndBordersShareTheControl) {
    graph.resize(300, 240);
    graph.SetBorderStyle(TQSpiderGraph::bs3D);
    graph.SetTitleCaption("Teia de correlação");
    graph.SetShowLinesCaption(true);
    graph.SetLinesCount(2);
    graph.Lines(0)->SetValues(std::vector<float>{10, 20, 30});
    QImage image = graph.grab().toImage();

    const int th = QFontMetrics(graph.titleFont(), &graph).height();
    EXPECT_EQ(graph.TitleRect().top(), 2 + 4);
    const QImage& box = graph.LinesBox();
    ASSERT_FALSE(box.isNull());
    EXPECT_EQ(graph.DrawingRect().top(), 2 * (2 + 4) + th);
    EXPECT_EQ(graph.DrawingRect().bottom() + 1, 240 - 2 - box.height());
    EXPECT_EQ(graph.Center().y(), graph.DrawingRect().top() + graph.DrawingRect().height() / 2);
    // 3-D border: the grey-beige frame outside, white one pixel in.
    EXPECT_EQ(PixelAt(image, {0, 0}), qRgb(172, 168, 153) & 0xffffffu);
    EXPECT_EQ(PixelAt(image, {298, 238}), qRgb(172, 168, 153) & 0xffffffu);
    EXPECT_EQ(PixelAt(image, {299, 239}), 0xffffffu);
    EXPECT_EQ(PixelAt(image, {1, 1}), 0xffffffu);
    // The legend sits centred, its bottom 2 pixels above the border; its
    // frame is grey.
    const int left = (300 - box.width()) / 2;
    const int top = 240 - 2 - 2 - box.height();
    EXPECT_EQ(PixelAt(image, {left, top}), qRgb(128, 128, 128) & 0xffffffu);
    // Line 0's swatch: 10 x 5 at x = 12, red inside a grey outline.
    const int rowHeight = QFontMetrics(graph.linesBoxFont(), &graph).height() + 2;
    EXPECT_EQ(PixelAt(image, {left + 14, top + (rowHeight - 5) / 2 + 3}), 0xff0000u);

    // The title at the bottom moves the legend to the top.
    graph.SetTitlePosition(TQSpiderGraph::qtpBottom);
    image = graph.grab().toImage();
    EXPECT_EQ(graph.TitleRect().bottom() + 1, 240 - 2 - 4);
    EXPECT_EQ(graph.DrawingRect().top(), 2 + box.height());
    EXPECT_EQ(PixelAt(image, {left, 2 + 2}), qRgb(128, 128, 128) & 0xffffffu);

    graph.SetBorderStyle(TQSpiderGraph::bsFlat);
    image = graph.grab().toImage();
    EXPECT_EQ(PixelAt(image, {0, 120}), qRgb(128, 128, 128) & 0xffffffu);
    EXPECT_EQ(PixelAt(image, {299, 120}), qRgb(128, 128, 128) & 0xffffffu);
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
    // stays within 160 - 0 - 4 pixels.
    const QFontMetrics fm(graph.linesBoxFont(), &graph);
    std::vector<int> rows{0};
    for (const QString& c : captions) {
        const int w = fm.horizontalAdvance(c) + 28;
        if (rows.back() > 0 && rows.back() + w > 156) rows.push_back(0);
        rows.back() += w;
    }
    ASSERT_GT(rows.size(), 1u) << "the captions should not fit in one row";
    const QImage& box = graph.LinesBox();
    EXPECT_EQ(box.height(), static_cast<int>(rows.size()) * (fm.height() + 2) + 3);
    EXPECT_EQ(box.width(), *std::max_element(rows.begin(), rows.end()));
    EXPECT_LE(box.width(), 156);

    // A caption or colour change shows in the next paint's legend.
    const int swatchY = (fm.height() + 2 - 5) / 2 + 1 + 2;
    EXPECT_EQ(box.pixel(14, swatchY) & 0xffffffu, 0xff0000u);
    graph.Lines(0)->SetColor(QColor(0, 0, 255));
    EXPECT_FALSE(graph.LinesBoxValid());
    graph.grab();
    EXPECT_EQ(graph.LinesBox().pixel(14, swatchY) & 0xffffffu, 0x0000ffu);

    // A wider control puts everything in one row.
    graph.resize(1000, 400);
    graph.grab();
    EXPECT_EQ(graph.LinesBox().height(), fm.height() + 2 + 3);

    // A transparent box keeps its box colour out of the picture.
    graph.SetLinesBoxColor(QColor(250, 240, 200));
    graph.SetLinesBoxTransparent(true);
    graph.grab();
    EXPECT_EQ(qAlpha(graph.LinesBox().pixel(3, 3)), 0);
    EXPECT_EQ(qAlpha(graph.LinesBox().pixel(0, 0)), 255);
}

TEST_F(SpiderGraph, MouseFindsTheTopmostLineOfItsColourAndReportsEnterAndExit) {
    graph.SetAxesCount(4);
    graph.SetLinesCount(3);
    graph.Lines(0)->SetColor(Qt::blue);
    graph.Lines(1)->SetColor(Qt::blue);
    graph.Lines(2)->SetColor(Qt::blue); // never given values: never found
    graph.Lines(0)->SetValues(std::vector<float>{50, 50, 50, 50});
    graph.Lines(1)->SetValues(std::vector<float>{80, 80, 80, 80});
    graph.show();
    graph.grab();

    std::vector<int> entered;
    std::vector<int> left;
    QObject::connect(&graph, &TQSpiderGraph::OnMouseEnterLine, [&](int i) { entered.push_back(i); });
    QObject::connect(&graph, &TQSpiderGraph::OnMouseExitLine, [&](int i) { left.push_back(i); });

    // On line 0's vertex, which has the same colour as line 1.
    const QPoint onLine0 = graph.Lines(0)->points()[1];
    MoveMouse(graph, onLine0);
    EXPECT_EQ(graph.HighlightedLine(), 1);
    EXPECT_EQ(entered, std::vector<int>{1});
    QLabel* box = graph.MouseBox(1);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->pos(), onLine0 + QPoint(15, 0));
    // One pixel off still hits (the pixel test looks at the four neighbours).
    MoveMouse(graph, onLine0 + QPoint(0, 1));
    EXPECT_EQ(box->pos(), onLine0 + QPoint(15, 1));
    EXPECT_EQ(entered.size(), 1u);

    // Empty space: the box goes and the exit is reported.
    MoveMouse(graph, graph.Center() + QPoint(7, 23));
    EXPECT_EQ(graph.HighlightedLine(), -1);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(left, std::vector<int>{1});

    // From one line straight to another.
    graph.Lines(0)->SetColor(QColor(0, 128, 0));
    graph.grab();
    MoveMouse(graph, graph.Lines(1)->points()[2]);
    MoveMouse(graph, graph.Lines(0)->points()[2]);
    EXPECT_EQ(entered, (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(left, (std::vector<int>{1, 1}));
    EXPECT_TRUE(graph.MouseBox(0)->isVisible());
    EXPECT_FALSE(graph.MouseBox(1)->isVisible());

    // Rebuilding the lines leaves the highlighted line.
    graph.SetLinesCount(2);
    EXPECT_EQ(graph.HighlightedLine(), -1);
    EXPECT_EQ(left.back(), 0);
}

TEST_F(SpiderGraph, MouseOptionsHideTheBoxes) {
    graph.SetAxesCount(4);
    graph.Lines(0)->SetValues(std::vector<float>{50, 50, 50, 50});
    graph.show();
    graph.grab();
    const QPoint on = graph.Lines(0)->points()[0];

    graph.SetShowMouseBox(false);
    int entered = 0;
    QObject::connect(&graph, &TQSpiderGraph::OnMouseEnterLine, [&](int) { ++entered; });
    MoveMouse(graph, on);
    EXPECT_EQ(entered, 1);
    EXPECT_FALSE(graph.MouseBox(0)->isVisible());
    MoveMouse(graph, graph.Center() + QPoint(5, 20));

    graph.SetShowMouseBox(true);
    MoveMouse(graph, on);
    EXPECT_TRUE(graph.MouseBox(0)->isVisible());
    graph.SetTrackMouseMoves(false);
    EXPECT_FALSE(graph.MouseBox(0)->isVisible());
    EXPECT_EQ(graph.HighlightedLine(), -1);
    MoveMouse(graph, on + QPoint(1, 0));
    EXPECT_EQ(entered, 2);
    // Tracking again: the same line shows its box again.
    graph.SetTrackMouseMoves(true);
    MoveMouse(graph, on);
    EXPECT_EQ(entered, 3);
    EXPECT_TRUE(graph.MouseBox(0)->isVisible());

    // Outside the drawing rectangle less 2 pixels nothing is tracked.
    graph.SetTrackMouseMoves(false);
    graph.SetTrackMouseMoves(true);
    MoveMouse(graph, QPoint(on.x(), graph.DrawingRect().top() + 1));
    EXPECT_EQ(graph.HighlightedLine(), -1);
}

TEST_F(SpiderGraph, MouseBoxTextIsLaidOutInColumns) {
    graph.SetAxesCount(3);
    graph.SetLinesCount(3);
    TQSGLine& line = *graph.Lines(2);
    line.SetCaption("");
    line.SetValues(std::vector<float>{1.5f, 10, 0.25f});
    // Lc = 1, Lv = 4 ("0,25"); W = max(1 + 4 + 5, 9 + 2) = 11; the title
    // gets (11 - 9) div 2 + 1 = 2 spaces on each side.
    EXPECT_EQ(graph.MouseBoxText(2), QString("  Line N° 2  \r\n"
                                             " 0 : 1,5\r\n"
                                             " 1 : 10\r\n"
                                             " 2 : 0,25"));

    // Odd padding gets one more space at the right; long captions widen the
    // columns; values use 7 significant digits.
    graph.Axes(0)->SetCaption("Bola 10");
    graph.Lines(1)->SetCaption("Negativa");
    graph.Lines(1)->SetValues(std::vector<float>{1.0f / 3.0f, -2, 123456789.0f});
    // Lc = 7, Lv = 9 ("0,3333333", "1,234568E8"): Lv = 10; W = 7 + 10 + 5 = 22.
    const QString text = graph.MouseBoxText(1);
    const QStringList rows = text.split("\r\n");
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], QString(8, ' ') + "Negativa" + QString(8, ' '));
    EXPECT_EQ(rows[1], " Bola 10 : 0,3333333");
    EXPECT_EQ(rows[2], " 1       : -2");
    EXPECT_EQ(rows[3], " 2       : " + QString::fromStdString(NumberText::FormatGeneral(123456789.0f, 7)));

    // The text follows new values, captions and options.
    graph.Lines(1)->SetValues(std::vector<float>{4, 5, 6});
    EXPECT_TRUE(graph.MouseBoxText(1).endsWith(": 6"));
    graph.SetMBoxUsesLnColor(true);
    graph.Lines(1)->SetColor(QColor(10, 20, 30));
    graph.MouseBoxText(1);
    EXPECT_EQ(graph.MouseBox(1)->palette().color(QPalette::WindowText), QColor(10, 20, 30));
    const QFontMetrics fm(graph.MouseBox(1)->font(), graph.MouseBox(1));
    EXPECT_EQ(graph.MouseBox(1)->height(), (fm.height() + 2) * 5);
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
    const QImage shown = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(bitmap.size(), graph.size());
    EXPECT_EQ(bitmap, shown);
    // The gradient runs from the start colour at the top to white.
    EXPECT_LT(qBlue(bitmap.pixel(100, 0)), 4);
    EXPECT_EQ(qRed(bitmap.pixel(100, 0)), 255);
    EXPECT_GT(qBlue(bitmap.pixel(100, 200)), 250);
    // A 16-bit bitmap keeps its format.
    QImage rgb16(1, 1, QImage::Format_RGB16);
    ASSERT_TRUE(graph.CopyToBitmap(&rgb16));
    EXPECT_EQ(rgb16.format(), QImage::Format_RGB16);
    EXPECT_EQ(rgb16.size(), graph.size());
}

TEST_F(SpiderGraph, TwelveAxesTwoLinesPicture) {
    graph.resize(520, 460);
    graph.SetBackGround(TQSpiderGraph::bgTopBottom);
    graph.SetBackGStartColor(Qt::yellow);
    graph.SetBackGFinalColor(Qt::white);
    graph.SetTitleCaption("Teia de correlação");
    graph.SetAxesCount(12);
    graph.SetLinesCount(2);
    graph.SetShowLinesCaption(true);
    graph.SetAxesCaptionsFramed(true);
    TQSGLine& pos = *graph.Lines(0);
    TQSGLine& neg = *graph.Lines(1);
    pos.SetCaption("Positiva");
    pos.SetColor(Qt::blue);
    pos.SetShowPoints(true);
    neg.SetCaption("Negativa");
    neg.SetColor(Qt::red);
    neg.SetShowPoints(true);
    std::vector<float> p(12);
    std::vector<float> n(12);
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
    const QImage image = graph.grab().toImage();
    if (const QByteArray path = qgetenv("TOVISCA_SPIDER_PNG"); !path.isEmpty()) image.save(QString(path));

    // Axis 4 (120°) holds 1 on the positive line: its vertex is the end point.
    EXPECT_EQ(pos.points()[4], graph.EndPoints()[4] - QPoint(0, 0));
    EXPECT_EQ(PixelAt(image, pos.points()[4]), 0x0000ffu);
    // Every title pixel row lies above the web.
    EXPECT_LT(graph.TitleRect().bottom(), graph.EndPoints()[0].y());
    // The legend holds both items in one row, under the web.
    EXPECT_EQ(graph.LinesBox().height(), QFontMetrics(graph.linesBoxFont(), &graph).height() + 2 + 3);
    EXPECT_GT(460 - 2 - graph.LinesBox().height(), graph.EndPoints()[6].y());

    // Pointing at the vertex shows the line's values beside the pointer.
    graph.show();
    graph.grab();
    MoveMouse(graph, pos.points()[4]);
    ASSERT_EQ(graph.HighlightedLine(), 0);
    EXPECT_TRUE(graph.MouseBox(0)->isVisible());
    const QImage withBox = graph.grab().toImage();
    if (const QByteArray path = qgetenv("TOVISCA_SPIDER_BOX_PNG"); !path.isEmpty())
        withBox.save(QString(path));
    EXPECT_NE(withBox, image);
}
