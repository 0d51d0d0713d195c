#pragma once
// Power fit y = A (x - XShift)^B + YShift: a line through
// (ln(x - XShift), ln(y - YShift)), A = e^c.
#include "TNLR.h"

class TLR;

class TNLRPow : public TNLR {
public:
    // Fits the curve to the points of source (its own segments play no part).
    void Fit(const TLR& source);
    double Predict(double x) const;
};
