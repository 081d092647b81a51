#pragma once
// A pen's curve read as a mapping between force and output. The graph draws the quadratic Bezier curve of the
// lower, middle and upper point with x the output and y the force; read as a mapping, the output at a force
// is the x of the first point along the curve, counted from the lower point, whose y is closest to that
// force, and the force at an output is read the same way with the two roles swapped. Both are solved exactly
// on the curve (each coordinate is a quadratic in the curve parameter t), not read off the drawn polyline.
//
// Every curve answers, whatever its shape: where the value lies outside the curve's range, the nearest end or
// turning point answers; a flat stretch answers with its first point; three equal points answer with that
// point.

#include "data/typeDef.h"

#include <array>

// A point of the curve: its parameter t (0 the lower point, 1 the upper one), its output (x) and force (y)
// in the pen's units, and whether it lies exactly at the asked value or is only the closest point to it.
struct TCurvePoint {
    double T = 0;
    double Output = 0;
    double Force = 0;
    bool Exact = false;
};

class TCurveMap {
public:
    // The curve of the pen's three control points, in the pen's units (values outside 0..R are taken as
    // they are).
    explicit TCurveMap(const Pen& pen);
    TCurveMap(double x0, double y0, double x1, double y1, double x2, double y2);

    // The first point whose force is closest to `force`, and the first whose output is closest to `output`.
    // A value that is not a number answers with the lower point, not exact.
    TCurvePoint AtForce(double force) const;
    TCurvePoint AtOutput(double output) const;
    double OutputAt(double force) const { return AtForce(force).Output; }
    double ForceAt(double output) const { return AtOutput(output).Force; }

private:
    // The first t in 0..1 at which the coordinate `along` (X or Y) is closest to `value`.
    TCurvePoint Find(const std::array<double, 3>& along, double value) const;
    TCurvePoint PointAt(double t, bool exact) const;

    std::array<double, 3> X; // the outputs of the lower, middle and upper point
    std::array<double, 3> Y; // their forces
};
