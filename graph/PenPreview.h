#pragma once
// One pen's pressure graph as a picture of its own, drawn by TDrawClass exactly as the main window's graph
// is (grid, corner labels, curve, control points, thresholds), only smaller: used where curves are set side
// by side, such as a backup beside the curve in use.

#include "data/typeDef.h"

#include <QImage>

// A `side` by `side` RGB32 image of `pen`'s graph; without a pen (nullptr), the empty grid.
QImage DrawPenPreview(const Pen* pen, int side);
