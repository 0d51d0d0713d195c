#pragma once
// A 3-D bar chart of a table: one row of bars per depth category, one column
// per x category, the bar heights the table's values; a title above, axis
// titles, rotation by dragging with the right button and zoom with the
// wheel, copy as a picture, and the window's pop-up menu on a right click
// that does not drag.
//
// It draws through OpenGL in a window of its own (Qt Data Visualization),
// which needs a real display: create it only where Available() says so and
// show a 2-D chart of the same data otherwise.
//
// Ownership: the 3-D window belongs to its container widget, the container
// and the title to this widget. UI thread only.
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <vector>

class Q3DBars;
class QBar3DSeries;
class QLabel;
class QMenu;

class TBarChart3D : public QWidget {
    Q_OBJECT
public:
    // A display that is not offscreen and an OpenGL context that can be
    // made current.
    static bool Available();

    explicit TBarChart3D(QWidget* parent = nullptr);
    ~TBarChart3D() override;

    void SetTitle(const QString& title);
    QString Title() const;
    void SetAxisTitles(const QString& x, const QString& depth, const QString& value);

    // values[row][column]: row r at depth rowLabels[r], column c at x
    // columnLabels[c]. Missing values are 0.
    void SetData(const QStringList& rowLabels, const QStringList& columnLabels,
                 const std::vector<std::vector<double>>& values);
    void Clear();
    int Rows() const;
    int Columns() const;

    // The rendered bars (a grab of the widget would leave them blank).
    QImage Picture();
    void CopyToClipboard();

    // The window's pop-up menu (not owned).
    void SetPopupMenu(QMenu* menu);

signals:
    // The pop-up menu is about to open over this chart.
    void PopupOpening();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* title_ = nullptr;
    Q3DBars* bars_ = nullptr;        // owned by its container
    QBar3DSeries* series_ = nullptr; // owned by bars_
    QPointer<QMenu> popup_;
    QPoint pressed_;
};
