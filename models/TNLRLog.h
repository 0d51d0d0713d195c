#pragma once
// Logarithmic fit y = B ln(x - XShift) + A + YShift: a line through
// (ln(x - XShift), y - YShift), A = c.
#include "TNLR.h"

class TLR;

class TNLRLog : public TNLR {
public:
    // Fits the curve to the points of source (its own segments play no part).
    void Fit(const TLR& source);
    double Predict(double x) const;
};
