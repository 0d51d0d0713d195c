#include "TNLR.h"

#include "TLR.h"

#include <cmath>

namespace {

double Shift(double minimum) {
    return minimum <= 0 ? static_cast<double>(minimum - 1.0L) : 0.0;
}

} // namespace

double TNLR::FitLine(const TLR& source, bool logX, bool logY) {
    TLR line;
    line.SetCount(source.Count);
    XShift = Shift(source.MinX());
    YShift = Shift(source.MinY());
    for (int i = 0; i < source.Count; ++i) {
        const long double x = static_cast<long double>(source.GetX(i)) - XShift;
        const long double y = static_cast<long double>(source.GetY(i)) - YShift;
        line.SetPoint(i, static_cast<double>(logX ? std::log(x) : x),
                      static_cast<double>(logY ? std::log(y) : y));
    }
    line.Compute();
    B = line.LastSlope();
    R = line.AverageR();
    // The line passes through the means with slope B.
    const double meanX = line.MeanX.back();
    const double meanY = line.MeanY.back();
    return static_cast<double>(static_cast<long double>(meanY) - static_cast<long double>(B) * meanX);
}
