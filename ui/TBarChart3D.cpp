#include "TBarChart3D.h"

#include <Q3DBars>
#include <Q3DCamera>
#include <Q3DScene>
#include <QApplication>
#include <QBar3DSeries>
#include <QBarDataProxy>
#include <QCategory3DAxis>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QValue3DAxis>

bool TBarChart3D::Available() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return false;
    QOpenGLContext context;
    if (!context.create()) return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) return false;
    context.doneCurrent();
    return true;
}

TBarChart3D::TBarChart3D(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    title_ = new QLabel(this);
    title_->setAlignment(Qt::AlignCenter);
    layout->addWidget(title_);

    bars_ = new Q3DBars;
    QWidget* container = QWidget::createWindowContainer(bars_, this);
    container->setMinimumSize(200, 150);
    container->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(container, 1);

    series_ = new QBar3DSeries;
    series_->setMesh(QAbstract3DSeries::MeshBar);
    series_->setItemLabelFormat(QStringLiteral("@colLabel, @rowLabel: @valueLabel"));
    bars_->addSeries(series_);
    bars_->setBarThickness(1.0f);
    bars_->setBarSpacing(QSizeF(0.3, 0.3));
    bars_->scene()->activeCamera()->setCameraPreset(Q3DCamera::CameraPresetIsometricRight);
    for (QAbstract3DAxis* axis :
         {static_cast<QAbstract3DAxis*>(bars_->columnAxis()), static_cast<QAbstract3DAxis*>(bars_->rowAxis()),
          static_cast<QAbstract3DAxis*>(bars_->valueAxis())})
        axis->setTitleVisible(true);
    bars_->valueAxis()->setLabelFormat(QStringLiteral("%.2f"));
    bars_->installEventFilter(this);
}

TBarChart3D::~TBarChart3D() = default;

void TBarChart3D::SetTitle(const QString& title) {
    title_->setText(title);
}

QString TBarChart3D::Title() const {
    return title_->text();
}

void TBarChart3D::SetAxisTitles(const QString& x, const QString& depth, const QString& value) {
    bars_->columnAxis()->setTitle(x);
    bars_->rowAxis()->setTitle(depth);
    bars_->valueAxis()->setTitle(value);
}

void TBarChart3D::SetData(const QStringList& rowLabels, const QStringList& columnLabels,
                          const std::vector<std::vector<double>>& values) {
    // The proxy takes the array and its rows.
    auto* array = new QBarDataArray;
    array->reserve(rowLabels.size());
    for (qsizetype r = 0; r < rowLabels.size(); ++r) {
        auto* row = new QBarDataRow(columnLabels.size());
        for (qsizetype c = 0; c < columnLabels.size(); ++c) {
            const auto ri = static_cast<size_t>(r), ci = static_cast<size_t>(c);
            const double value = ri < values.size() && ci < values[ri].size() ? values[ri][ci] : 0.0;
            (*row)[c].setValue(static_cast<float>(value));
        }
        array->append(row);
    }
    series_->dataProxy()->resetArray(array, rowLabels, columnLabels);
}

void TBarChart3D::Clear() {
    series_->dataProxy()->resetArray(new QBarDataArray, {}, {});
}

int TBarChart3D::Rows() const {
    return series_->dataProxy()->rowCount();
}

int TBarChart3D::Columns() const {
    const QBarDataArray* array = series_->dataProxy()->array();
    return array && !array->isEmpty() ? static_cast<int>(array->front()->size()) : 0;
}

QImage TBarChart3D::Picture() {
    return bars_->renderToImage(4);
}

void TBarChart3D::CopyToClipboard() {
    QApplication::clipboard()->setImage(Picture());
}

void TBarChart3D::SetPopupMenu(QMenu* menu) {
    popup_ = menu;
}

bool TBarChart3D::eventFilter(QObject* watched, QEvent* event) {
    // The right button also rotates the view: only a click without a drag
    // opens the menu.
    if (watched == bars_ && popup_) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) pressed_ = mouse->globalPosition().toPoint();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->globalPosition().toPoint();
            if (mouse->button() == Qt::RightButton && (at - pressed_).manhattanLength() < 4) {
                emit PopupOpening();
                popup_->popup(at);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
