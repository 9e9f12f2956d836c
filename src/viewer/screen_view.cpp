#include "viewer/screen_view.h"

#include <QPainter>
#include <algorithm>

namespace {

// Twice the machine's size fits a laptop's screen and shows single pixels clearly.
constexpr int kPreferredScale = 2;

}  // namespace

QImage ScreenImage(const content::ScreenPicture& picture) {
    QImage image(content::kScreenWidth, content::kScreenHeight, QImage::Format_RGB32);
    for (int y = 0; y < content::kScreenHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < content::kScreenWidth; ++x) {
            const content::Rgb colour = picture.At(x, y);
            line[x] = qRgb(colour.r, colour.g, colour.b);
        }
    }
    return image;
}

CScreenView::CScreenView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CScreenView::SetPicture(const QImage& picture) {
    m_picture = picture;
    updateGeometry();
    update();
}

int CScreenView::Scale() const {
    if (m_picture.isNull()) {
        return 1;
    }
    return std::max(1, std::min(width() / m_picture.width(), height() / m_picture.height()));
}

QSize CScreenView::sizeHint() const {
    return m_picture.isNull()
               ? QSize(content::kScreenWidth, content::kScreenHeight) * kPreferredScale
               : m_picture.size() * kPreferredScale;
}

QSize CScreenView::minimumSizeHint() const {
    return m_picture.isNull() ? QSize(content::kScreenWidth, content::kScreenHeight)
                              : m_picture.size();
}

void CScreenView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (m_picture.isNull()) {
        return;
    }
    const QSize size = m_picture.size() * Scale();
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, m_picture);
}
