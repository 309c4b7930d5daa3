#include "metrology/OMetrologyResult.h"

#include <cmath>

const char* MetrologyStatusText(OMetrologyStatus status) {
    switch (status) {
        case OMetrologyStatus::Ok:
            return "ok";
        case OMetrologyStatus::BadSettings:
            return "bad settings";
        case OMetrologyStatus::EmptyImage:
            return "empty image: no pixels";
        case OMetrologyStatus::OutsideImage:
            return "every caliper lies outside the image";
        case OMetrologyStatus::TooFewEdges:
            return "too few edges";
        case OMetrologyStatus::FitFailed:
            return "the fit failed";
    }
    return "unknown status";
}

double OFindLineResult::OffsetSigmaAt(double x, double y) const {
    const double along = (x - pointX) * std::cos(angle) + (y - pointY) * std::sin(angle);
    return std::hypot(offsetSigma, along * angleSigma);
}

double OFindLineResult::DistanceTo(double x, double y) const {
    return (y - pointY) * std::cos(angle) - (x - pointX) * std::sin(angle);
}
