#include "TNLRPow.h"

#include <cmath>

void TNLRPow::Fit(const TLR& source) {
    const double c = FitLine(source, true, true);
    A = static_cast<double>(std::exp(static_cast<long double>(c)));
}

double TNLRPow::Predict(double x) const {
    const long double t = static_cast<long double>(x) - XShift;
    return static_cast<double>(A * std::pow(t, static_cast<long double>(B)) + YShift);
}
