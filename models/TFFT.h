#pragma once
// Discrete Fourier transform of a real series, padded with zeros to a power
// of two n, by an in-place radix-2 transform in packed real form:
//
//   F_j = sum_k x_k e^(+2 pi i j k / n)   (exponent sign plus)
//
// packed in Data[1..n] as Data[1] = F_0, Data[2] = F_(n/2) (both real) and
// Data[2j+1], Data[2j+2] = real and imaginary part of F_j, j = 1 .. n/2 - 1.
// The twiddle factors advance by trigonometric recurrences rather than by a
// sine and cosine per factor. Expressions are evaluated in extended precision
// and every variable is stored as a double.
//
// Series of fewer than two values are padded to two (the transform is then the
// sum and the difference of the two values).
#include <vector>

class TFFT {
public:
    // Sizes (or resizes) the object for a series of n values and clears it.
    void Create(int n);
    void Clear();
    // Data[i + 1] := v when 0 <= i < Size.
    void SetValue(int i, double v);
    // Data[i + 1] when 0 <= i < Size, else 0.
    double GetValue(int i) const;
    // Absolute value of one packed element.
    double GetMagnitude(int i) const;
    void Transform();

    int Count = 0;
    int Size = 0;
    int PadLength = 0;
    // Size + 2 values, used from index 1 to Size.
    std::vector<double> Data;

private:
    void ComplexTransform();
};
