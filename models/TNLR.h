#pragma once
// Common part of the curve fits TNLRExp, TNLRLog and TNLRPow: each transforms
// the points of a TLR (x into X', y into Y', by a shift and possibly a natural
// logarithm), fits one straight line Y' = B X' + c in the transformed space
// and keeps the coefficients of the curve.
//
// The shifts make every transformed value valid: a minimum at or below 0 is
// shifted to 1 (shift = minimum - 1), a positive minimum is left alone
// (shift 0). The same shift is applied whether or not that coordinate is
// taken through a logarithm.
class TLR;

class TNLR {
public:
    double GetR() const { return R; }

    double A = 0;
    double B = 0;
    // Correlation of the fit, in the transformed space.
    double R = 0;
    double XShift = 0;
    double YShift = 0;

protected:
    // Fits the line through the transformed points and returns its value at
    // X' = 0 (c); sets B, R and both shifts. A is left to the curve.
    double FitLine(const TLR& source, bool logX, bool logY);
};
