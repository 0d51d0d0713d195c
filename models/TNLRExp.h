#pragma once
// Exponential fit y = A e^(B (x - XShift)) + YShift: a line through
// (x - XShift, ln(y - YShift)), A = e^c.
#include "TNLR.h"

class TLR;

class TNLRExp : public TNLR {
public:
    // Fits the curve to the points of source (its own segments play no part).
    void Fit(const TLR& source);
    double Predict(double x) const;
};
