#pragma once
// k-nearest-neighbour forecast of the next value of a series.
//
// The last W values before the forecast position (the reference window) are
// compared with every earlier window of W values by their Pearson correlation
// (reference as x, candidate as y, as a one-segment TLR computes it). The K
// best candidates' successors are split into those at or above the last value
// ("up") and those below ("down"); the forecast is the mean of the majority
// side, the down side winning ties. With Delta the successors are differences
// between consecutive values (the windows are still compared as values), the
// reference for up/down is 0 and the forecast is added to the last value.
#include <vector>

class TKNN {
public:
    // Sets Count and resizes Values, every value 0. Negative counts read as 0.
    void SetCount(int count);
    void Clear();
    // Forecast of position t from Values[0 .. t - 1] with windows of w values
    // and k neighbours. When there is no earlier window to compare with
    // (t <= w, w < 1 or w beyond the series) the forecast is the last value
    // before the forecast position (0 when there is none) and every
    // neighbour holds that value.
    double Forecast(int t, int w, int k);

    int Count = 0;
    std::vector<double> Values;
    // Neighbour count of the last forecast (at least 1).
    int K = 1;
    // Successors of the chosen neighbours of the last forecast, as values;
    // entries beyond the number of candidates are 0.
    std::vector<double> Neighbours;
    bool Delta = false;

private:
    // Scratch space of Forecast, kept between calls.
    std::vector<double> Scores;
    std::vector<int> Order;
};
