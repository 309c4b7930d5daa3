#pragma once
// EdgeDetection: machine-vision edge measurement along lines and circular arcs.
//
// Including this header gives every public class of the library:
// - foundation: OVector, OVector_Array, OType_Image, OByteStream, OType_DrawingContext,
//   OType_DrawingFont, the collections WritableCollection and OFastArrayList;
// - edge: OCannyEdge, the one-dimensional Canny detector;
// - subpixel: OSubpixelCalculation;
// - paths: OVectorPath and its line, circle and polygon paths, with their transition function,
//   transition search, storage and drawing helpers;
// - circlefit: OCircleFit and OCircleFit_OutlierFilter;
// - regression: OVector_Regression;
// - caliper: OCaliper with its regions (OCaliperLine, OCaliperArc), settings and results, and the
//   16-bit grey image OType_Image16;
// - metrology: OMetrology, find circle, find line and measure width from rakes of calipers, with
//   their settings and results.

#include "caliper/OCaliper.h"
#include "caliper/OCaliperRegion.h"
#include "caliper/OCaliperResult.h"
#include "caliper/OCaliperSettings.h"
#include "caliper/OType_Image16.h"
#include "circlefit/OCircleFit.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "edge/OCannyEdge.h"
#include "foundation/Angles.h"
#include "foundation/Collection.h"
#include "foundation/OByteStream.h"
#include "foundation/OFastArrayList.h"
#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_DrawingFont.h"
#include "foundation/OType_Image.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"
#include "foundation/WritableCollection.h"
#include "metrology/OMetrology.h"
#include "metrology/OMetrologyResult.h"
#include "metrology/OMetrologySettings.h"
#include "paths/OVectorPath.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "paths/OVectorPath_Polygon.h"
#include "regression/OVector_Regression.h"
#include "subpixel/OSubpixelCalculation.h"
