#pragma once
// A self-painting spider (radar) graph: `axesCount` axes radiating from a
// centre at equal angles, a web joining their ends, and data lines drawn as
// closed polygons through one value per axis, with an optional title, axis
// captions, a legend strip (the lines box), background and border styles, and
// mouse tracking that recognises the line under the pointer and can show a
// box with that line's values.
//
// The graph owns its axes, lines, fonts, mouse boxes and the cached lines-box
// image. Every paint renders the whole picture into an image kept as the
// canvas: the mouse hit test reads its pixels, so it behaves the same on any
// display and offscreen. User-interface thread only.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QPainter;
class TQSpiderAxe;
class TQSGLine;

class TQSpiderGraph : public QWidget {
    Q_OBJECT
public:
    enum TQBorderStyle { bsNone, bsFlat, bs3D };
    Q_ENUM(TQBorderStyle)
    enum TQBackGround { bgTransparent, bgColored, bgTopBottom, bgBottomTop, bgLeftToRight, bgRightToLeft };
    Q_ENUM(TQBackGround)
    enum TQTitlePosition { qtpTop, qtpBottom };
    Q_ENUM(TQTitlePosition)

private:
    Q_PROPERTY(int axesCount READ axesCount WRITE SetAxesCount)
    Q_PROPERTY(bool axesAutoSized READ axesAutoSized WRITE SetAxesAutoSized)
    Q_PROPERTY(QColor axesColor READ axesColor WRITE SetAxesColor)
    Q_PROPERTY(bool axesCaptionsFramed READ axesCaptionsFramed WRITE SetAxesCaptionsFramed)
    Q_PROPERTY(bool polygonFill READ polygonFill WRITE SetPolygonFill)
    Q_PROPERTY(QColor polygonColor READ polygonColor WRITE SetPolygonColor)
    Q_PROPERTY(TQBorderStyle borderStyle READ borderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TQBackGround backGround READ backGround WRITE SetBackGround)
    Q_PROPERTY(QColor backGroundColor READ backGroundColor WRITE SetBackGroundColor)
    Q_PROPERTY(QColor backGStartColor READ backGStartColor WRITE SetBackGStartColor)
    Q_PROPERTY(QColor backGFinalColor READ backGFinalColor WRITE SetBackGFinalColor)
    Q_PROPERTY(QString titleCaption READ titleCaption WRITE SetTitleCaption)
    Q_PROPERTY(TQTitlePosition titlePosition READ titlePosition WRITE SetTitlePosition)
    Q_PROPERTY(int defaultPenWidth READ defaultPenWidth WRITE SetDefaultPenWidth)
    Q_PROPERTY(bool showLinesCaption READ showLinesCaption WRITE SetShowLinesCaption)
    Q_PROPERTY(bool linesBoxTransparent READ linesBoxTransparent WRITE SetLinesBoxTransparent)
    Q_PROPERTY(QColor linesBoxColor READ linesBoxColor WRITE SetLinesBoxColor)
    Q_PROPERTY(bool trackMouseMoves READ trackMouseMoves WRITE SetTrackMouseMoves)
    Q_PROPERTY(bool showMouseBox READ showMouseBox WRITE SetShowMouseBox)
    Q_PROPERTY(QColor mBoxForColor READ mBoxForColor WRITE SetMBoxForColor)
    Q_PROPERTY(QColor mBoxBackColor READ mBoxBackColor WRITE SetMBoxBackColor)
    Q_PROPERTY(bool mBoxUsesLnColor READ mBoxUsesLnColor WRITE SetMBoxUsesLnColor)
    Q_PROPERTY(QColor highlightColor READ highlightColor WRITE SetHighlightColor)
    Q_PROPERTY(int linesCount READ linesCount WRITE SetLinesCount)

public:
    explicit TQSpiderGraph(QWidget* parent = nullptr);
    ~TQSpiderGraph() override;

    // --- properties ---
    int axesCount() const { return static_cast<int>(axes_.size()); }
    // Below 3 becomes 3. Rebuilds every axis (range 0 to 100, its index as
    // caption) and replaces all lines by one empty line.
    void SetAxesCount(int count);
    bool axesAutoSized() const { return axesAutoSized_; }
    void SetAxesAutoSized(bool value); // applied to every axis, no repaint
    QColor axesColor() const { return axesColor_; }
    void SetAxesColor(const QColor& color);
    bool axesCaptionsFramed() const { return axesCaptionsFramed_; }
    void SetAxesCaptionsFramed(bool value);
    bool polygonFill() const { return polygonFill_; }
    void SetPolygonFill(bool value);
    QColor polygonColor() const { return polygonColor_; }
    void SetPolygonColor(const QColor& color);
    TQBorderStyle borderStyle() const { return borderStyle_; }
    void SetBorderStyle(TQBorderStyle style);
    TQBackGround backGround() const { return backGround_; }
    void SetBackGround(TQBackGround background);
    QColor backGroundColor() const { return backGroundColor_; }
    void SetBackGroundColor(const QColor& color);
    QColor backGStartColor() const { return backGStartColor_; }
    void SetBackGStartColor(const QColor& color);
    QColor backGFinalColor() const { return backGFinalColor_; }
    void SetBackGFinalColor(const QColor& color);
    QString titleCaption() const { return titleCaption_; }
    void SetTitleCaption(const QString& caption);
    TQTitlePosition titlePosition() const { return titlePosition_; }
    void SetTitlePosition(TQTitlePosition position);
    int defaultPenWidth() const { return defaultPenWidth_; }
    void SetDefaultPenWidth(int width); // 0 or above 255 becomes 1; applied to every line
    // Write-only in spirit: the value is applied to every line's showPoints;
    // the getter only tells new lines what to start with.
    bool showLinesPoints() const { return showLinesPoints_; }
    void SetShowLinesPoints(bool value);
    bool showLinesCaption() const { return showLinesCaption_; }
    void SetShowLinesCaption(bool value);
    bool linesBoxTransparent() const { return linesBoxTransparent_; }
    void SetLinesBoxTransparent(bool value);
    QColor linesBoxColor() const { return linesBoxColor_; }
    void SetLinesBoxColor(const QColor& color);
    bool trackMouseMoves() const { return trackMouseMoves_; }
    void SetTrackMouseMoves(bool value);
    bool showMouseBox() const { return showMouseBox_; }
    void SetShowMouseBox(bool value);
    QColor mBoxForColor() const { return mBoxForColor_; }
    void SetMBoxForColor(const QColor& color);
    QColor mBoxBackColor() const { return mBoxBackColor_; }
    void SetMBoxBackColor(const QColor& color);
    bool mBoxUsesLnColor() const { return mBoxUsesLnColor_; }
    void SetMBoxUsesLnColor(bool value);
    QColor highlightColor() const { return highlightColor_; } // stored only
    void SetHighlightColor(const QColor& color) { highlightColor_ = color; }

    // The three fonts, each with the colour its text is drawn in.
    QFont titleFont() const { return titleFont_; }
    QColor titleFontColor() const { return titleFontColor_; }
    void SetTitleFont(const QFont& font, const QColor& color);
    QFont axesCaptionFont() const { return captionFont_; }
    QColor axesCaptionFontColor() const { return captionFontColor_; }
    void SetAxesCaptionFont(const QFont& font, const QColor& color);
    QFont linesBoxFont() const { return linesBoxFont_; }
    QColor linesBoxFontColor() const { return linesBoxFontColor_; }
    void SetLinesBoxFont(const QFont& font, const QColor& color);

    // --- axes and lines ---
    // nullptr outside 0 .. axesCount - 1 (respectively linesCount - 1).
    TQSpiderAxe* Axes(int index) const;
    TQSGLine* Lines(int index) const;
    int linesCount() const { return static_cast<int>(lines_.size()); }
    // Frees every line and mouse box; creates one line when count < 2, else
    // count lines, each with a hidden mouse box.
    void SetLinesCount(int count);

    // Sizes the bitmap to the graph and copies the graph's current picture
    // into it pixel for pixel (in the bitmap's own format when it has one).
    // False when no bitmap is given.
    bool CopyToBitmap(QImage* bitmap);

    // The colour a canvas of this graph shows for `color`: the canvas has
    // full colour depth and no transparency, so the opaque colour itself.
    static QColor NearestColor(const QColor& color);

    // --- state of the last layout, for painting and inspection ---
    int BorderWidth() const { return borderWidth_; }
    QRect DrawingRect() const;
    QRect TitleRect() const { return titleRect_; }
    QPoint Center() const { return {cx_, cy_}; }
    int Radius() const { return radius_; }
    // `axesCount` + 1 end points, the last equal to the first.
    const std::vector<QPoint>& EndPoints() const { return endPoints_; }
    // Screen point of `value` on axis `axe` (the centre when its range is empty).
    QPoint ValueToPoint(const TQSpiderAxe& axe, float value) const;
    // The legend image, built lazily; null until first needed.
    const QImage& LinesBox() const { return linesBox_; }
    bool LinesBoxValid() const { return linesBoxValid_; }
    // Index of the line under the pointer, -1 when none.
    int HighlightedLine() const { return highlighted_; }
    QLabel* MouseBox(int line) const;
    // The mouse box's text (CR LF between text lines), building it if needed.
    QString MouseBoxText(int line);
    // Lays out and renders the whole picture as a paint would.
    QImage Render();

    QSize sizeHint() const override { return {300, 300}; }

signals:
    void OnMouseEnterLine(int lineIndex);
    void OnMouseExitLine(int lineIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    friend class TQSpiderAxe;
    friend class TQSGLine;

    struct MouseBoxState {
        std::unique_ptr<QLabel> label;
        QString text;
        bool built = false;
    };

    // Smallest and largest value on an axis over the lines that have values;
    // false when no line has values.
    bool DataRange(int axis, float& low, float& high) const;
    void RangesStale() { rangesValid_ = false; }
    void LinesBoxStale() { linesBoxValid_ = false; }
    void MouseBoxesStale(int line); // -1: every line
    void ClearHighlight();          // hides the box and reports the exit

    void RebuildAxes(int count);
    void RebuildLines(int count);
    void Relayout();
    void Layout();
    void Geometry();
    void RefreshAutoRanges();
    void BuildLinesBox();
    void BuildMouseBox(int line);
    void ShowMouseBox(int line, QPoint at);
    void PaintBackground(QPainter& painter) const;
    void PaintWeb(QPainter& painter) const;
    void PaintCaptions(QPainter& painter) const;
    void PaintLines(QPainter& painter);
    bool HitsLine(const TQSGLine& line, QPoint at) const;

    std::vector<std::unique_ptr<TQSpiderAxe>> axes_;
    std::vector<std::unique_ptr<TQSGLine>> lines_;
    std::vector<MouseBoxState> mouseBoxes_;

    bool axesAutoSized_ = false;
    QColor axesColor_{0, 0, 128};
    bool axesCaptionsFramed_ = false;
    bool polygonFill_ = false;
    QColor polygonColor_{230, 255, 255};
    TQBorderStyle borderStyle_ = bsNone;
    TQBackGround backGround_ = bgTransparent;
    QColor backGroundColor_{255, 255, 255};
    QColor backGStartColor_{230, 230, 230};
    QColor backGFinalColor_{255, 255, 255};
    QString titleCaption_;
    TQTitlePosition titlePosition_ = qtpTop;
    int defaultPenWidth_ = 2;
    bool showLinesPoints_ = false;
    bool showLinesCaption_ = false;
    bool linesBoxTransparent_ = false;
    QColor linesBoxColor_{255, 255, 255};
    bool trackMouseMoves_ = true;
    bool showMouseBox_ = true;
    QColor mBoxForColor_{0, 0, 0};
    QColor mBoxBackColor_;
    bool mBoxUsesLnColor_ = false;
    QColor highlightColor_{255, 255, 0};

    QFont titleFont_;
    QColor titleFontColor_{0, 0, 255};
    QFont captionFont_;
    QColor captionFontColor_{0, 0, 0};
    QFont linesBoxFont_;
    QColor linesBoxFontColor_{0, 0, 0};

    // Layout: the drawing rectangle as left/top and exclusive right/bottom.
    int borderWidth_ = 0;
    int drawLeft_ = 0;
    int drawTop_ = 0;
    int drawRight_ = 0;
    int drawBottom_ = 0;
    QRect titleRect_;
    int cx_ = 0;
    int cy_ = 0;
    int radius_ = 0;
    std::vector<QPoint> endPoints_;

    QImage linesBox_;
    bool linesBoxValid_ = false;
    int linesBoxForWidth_ = -1; // the control width the box was laid out for
    bool rangesValid_ = true;
    QImage canvas_; // the last painted picture; the hit test reads it
    int highlighted_ = -1;
};
