#pragma once
// One pen's pressure graph as a picture of its own, drawn by TDrawClass exactly as the main window's graph
// is (grid, corner labels, curve, control points, thresholds), only smaller: used where curves are set side
// by side, such as a backup beside the curve in use.

#include "data/typeDef.h"

#include <QImage>

// A `side` by `side` RGB32 image of `pen`'s graph; without a pen (nullptr), the empty grid. At a device
// pixel `ratio` above 1 the image has that many times the pixels and is drawn at that density, as the main
// graph is, so that it is sharp on a high-density screen; a ratio below 1 or not a number counts as 1.
QImage DrawPenPreview(const Pen* pen, int side, double ratio = 1.0);
