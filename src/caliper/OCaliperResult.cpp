#include "caliper/OCaliperResult.h"

const char* CaliperStatusText(OCaliperStatus status) {
    switch (status) {
        case OCaliperStatus::Ok:
            return "ok";
        case OCaliperStatus::BadRegion:
            return "bad region: coordinates not finite, zero length, width or step not positive, "
                   "or too many samples";
        case OCaliperStatus::BadSettings:
            return "bad settings: sigma, threshold, n or width range out of range";
        case OCaliperStatus::EmptyImage:
            return "empty image: no pixels, a null buffer or a stride shorter than a row";
        case OCaliperStatus::OutsideImage:
            return "the caliper lies outside the image";
        case OCaliperStatus::PartlyOutsideImage:
            return "the caliper lies partly outside the image";
        case OCaliperStatus::NoEdge:
            return "no edge above threshold";
        case OCaliperStatus::NotResolved:
            return "not resolved: the two edges are too close to be measured apart";
    }
    return "unknown status";
}
