#pragma once
// What the parts of the accuracy study share: the statistics of a series of signed errors.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

// Bias, root-mean-square and largest magnitude of a series of signed errors; failures counted
// apart.
class ErrorStats {
  public:
    void Add(double error) {
        ++m_count;
        m_sum += error;
        m_sumSquares += error * error;
        m_max = std::max(m_max, std::fabs(error));
    }
    void Fail() { ++m_failures; }
    double Bias() const { return m_count ? m_sum / m_count : 0.0; }
    double Rms() const { return m_count ? std::sqrt(m_sumSquares / m_count) : 0.0; }
    double Max() const { return m_max; }
    int Failures() const { return m_failures; }
    // "bias | RMS | max" with the given decimals.
    std::string Cells(int decimals) const {
        char text[96];
        std::snprintf(text, sizeof text, "%+.*f | %.*f | %.*f", decimals, Bias(), decimals, Rms(),
                      decimals, Max());
        return text;
    }

  private:
    int m_count = 0;
    int m_failures = 0;
    double m_sum = 0.0;
    double m_sumSquares = 0.0;
    double m_max = 0.0;
};
