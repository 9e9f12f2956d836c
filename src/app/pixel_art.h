// Enlarging the program's pixel-drawn artwork without blurring it. Smooth scaling turns the
// one-pixel lines of a 16-pixel toolbar picture into grey smears; the Scale2x rule instead
// doubles every pixel and rounds off the steps of diagonal edges, so the large picture stays
// sharp.
#pragma once

#include <QImage>

// The picture at twice its width and height. Each pixel P becomes four quarters, each P's
// colour unless P sits on a corner of an edge: where the neighbours above and below differ,
// and those left and right differ, a quarter takes the colour of the two neighbours it touches
// when they match. Pixels at the border see themselves beyond it.
[[nodiscard]] QImage Scale2x(const QImage& image);

// The picture at size x size pixels: repeated doubling while that still fits, then a smooth
// scaling for the rest (a downscale for sizes below the picture's own).
[[nodiscard]] QImage ScaleArtwork(const QImage& image, int size);
