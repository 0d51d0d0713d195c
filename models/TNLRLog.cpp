#include "TNLRLog.h"

#include <cmath>

void TNLRLog::Fit(const TLR& source) {
    A = FitLine(source, true, false);
}

double TNLRLog::Predict(double x) const {
    const long double t = static_cast<long double>(x) - XShift;
    return static_cast<double>(B * std::log(t) + A + YShift);
}
