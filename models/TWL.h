#pragma once
// Full tree of Haar wavelet packets of a series padded with zeros to a power
// of two. Row 0 holds the series; each block of row l - 1 is split into its
// pairwise averages (x[2p] + x[2p+1]) / 2 and half-differences
// (x[2p] - x[2p+1]) / 2, stored as two halves of the same place in row l, down
// to blocks of two values. A block that came from a second half holds its
// differences before its averages, so the packets of a level come out in
// sequency order (a Gray-code pattern) rather than in counting order.
//
// Series of fewer than two values are sized as two values (one row, no
// transform): the value, if any, is row 0's first coefficient.
#include <vector>

class TWL {
public:
    // Sizes (or resizes) the object for a series of n values and clears it.
    void Create(int n);
    void Clear();
    // Coefficients[0][i] := v when 0 <= i < Size.
    void SetValue(int i, double v);
    void Transform();
    int GetLevels() const { return Levels; }
    int GetDefaultLevel() const { return DefaultLevel; }
    // 2^level for 0 <= level < Levels, else 0.
    int BlockCount(int level) const;
    // Values of a block of the level that stem from the series rather than
    // from the padding: Size / 2^level minus PadLength / 2^level rounded to
    // the nearest integer, halves to even.
    int CoefficientCount(int level) const;
    // Coefficients[level][CoefficientCount(level) * block + i]; 0 outside the
    // levels or the row.
    double GetCoefficient(int level, int block, int i) const;

    // log2 of the length, raised to the next integer when it has a fraction.
    int Levels = 0;
    int Size = 0;
    int PadLength = 0;
    // Integer part of log2(n) / 2, plus 1.
    int DefaultLevel = 0;
    // [Levels][Size].
    std::vector<std::vector<double>> Coefficients;

private:
    void Split(int level, int lo, int hi, bool swapped);
};
