#include "TNLRExp.h"

#include <cmath>

void TNLRExp::Fit(const TLR& source) {
    const double c = FitLine(source, false, true);
    A = static_cast<double>(std::exp(static_cast<long double>(c)));
}

double TNLRExp::Predict(double x) const {
    const long double t = static_cast<long double>(x) - XShift;
    return static_cast<double>(A * std::exp(B * t) + YShift);
}
