#include "graph/CurveMap.h"

#include <algorithm>
#include <cmath>

namespace {

// A root this close outside 0..1 is the end point itself, missed by the rounding of the solution.
constexpr double RootSlack = 1e-12;

double Bezier(const std::array<double, 3>& c, double t) {
    const double s = 1 - t;
    return s * s * c[0] + 2 * s * t * c[1] + t * t * c[2];
}

} // namespace

TCurveMap::TCurveMap(const Pen& pen) : TCurveMap(pen.P1X, pen.P1Y, pen.P2X, pen.P2Y, pen.P3X, pen.P3Y) {}

TCurveMap::TCurveMap(double x0, double y0, double x1, double y1, double x2, double y2)
    : X{x0, x1, x2}, Y{y0, y1, y2} {}

TCurvePoint TCurveMap::AtForce(double force) const {
    return Find(Y, force);
}

TCurvePoint TCurveMap::AtOutput(double output) const {
    return Find(X, output);
}

TCurvePoint TCurveMap::PointAt(double t, bool exact) const {
    return TCurvePoint{t, Bezier(X, t), Bezier(Y, t), exact};
}

TCurvePoint TCurveMap::Find(const std::array<double, 3>& along, double value) const {
    if (std::isnan(value))
        return PointAt(0, false);
    // The coordinate as a*t^2 + b*t + c; the curve reaches the value where a*t^2 + b*t + (c - value) = 0.
    const double a = along[0] - 2 * along[1] + along[2];
    const double b = 2 * (along[1] - along[0]);
    const double c = along[0] - value;

    double first = 2; // the smallest root in 0..1 found so far; above 1 for none
    auto root = [&first](double t) {
        if (t >= -RootSlack && t <= 1 + RootSlack)
            first = std::min(first, std::clamp(t, 0.0, 1.0));
    };
    if (c == 0)
        root(0);
    if (along[2] == value)
        root(1);
    if (a == 0) {
        if (b != 0)
            root(-c / b); // a straight stretch
        // A flat one (b = 0) is met everywhere when c = 0 (found above) and nowhere otherwise.
    } else {
        const double d = b * b - 4 * a * c;
        if (d >= 0) {
            // The two roots without the cancellation of the schoolbook formula.
            const double q = -0.5 * (b + std::copysign(std::sqrt(d), b));
            if (q != 0) {
                root(q / a);
                root(c / q);
            } else {
                root(0); // b = 0 and d = 0: c = 0, a double root at 0
            }
        }
    }
    if (first <= 1)
        return PointAt(first, true);

    // The curve does not reach the value, so the value lies above all of it or below all of it: the
    // closest point is the highest or the lowest of the ends and the turning point, the first along the curve
    // on a tie. (Comparing the coordinates, not their gaps to the value, keeps far values apart.)
    const bool above = value > along[0];
    double bestT = 0;
    double best = along[0];
    auto consider = [&](double t) {
        const double u = Bezier(along, t);
        if (above ? u > best : u < best) {
            best = u;
            bestT = t;
        }
    };
    if (a != 0) {
        const double turn = -b / (2 * a);
        if (turn > 0 && turn < 1)
            consider(turn);
    }
    consider(1);
    return PointAt(bestT, false);
}
