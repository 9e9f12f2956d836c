// A SCREEN$ picture drawn as large as the widget allows in whole multiples of its size, each
// pixel a sharp square: a smoothed or fractional scale would blur the 8 x 8 colour cells.
#pragma once

#include <QImage>
#include <QWidget>

#include "content/screen_picture.h"

[[nodiscard]] QImage ScreenImage(const content::ScreenPicture& picture);

class CScreenView : public QWidget {
    Q_OBJECT
public:
    explicit CScreenView(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    [[nodiscard]] const QImage& Picture() const { return m_picture; }
    // The whole multiple the picture is drawn at for the widget's present size (at least 1).
    [[nodiscard]] int Scale() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
