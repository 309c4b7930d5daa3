// Temporary: the transition search along lines and circles replaces these placeholders.
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

bool OVectorPath_Line::FindNextTransition(std::shared_ptr<OType_Image>, int, int, int, int&,
                                          OVector&, double&, OType_DrawingContext*, int, int) {
    return false;
}
bool OVectorPath_Line::FindNextTransitionSingle(std::shared_ptr<OType_Image>, int, int, int, int,
                                                int&, OVector&, double&, OType_DrawingContext*, int,
                                                int, bool) {
    return false;
}
bool OVectorPath_Line::FindNextTransitionPair(std::shared_ptr<OType_Image>, int, int, int, int, int,
                                              int, int, int, int, int, int, int&, OVector&, double&,
                                              int&, OVector&, double&, OType_DrawingContext*, int,
                                              int, int, bool) {
    return false;
}

bool OVectorPath_Circle::FindNextTransition(std::shared_ptr<OType_Image>, int, int, int, int&,
                                            OVector&, double&, OType_DrawingContext*, int, int) {
    return false;
}
bool OVectorPath_Circle::FindNextTransitionSingle(std::shared_ptr<OType_Image>, int, int, int, int,
                                                  int&, OVector&, double&, OType_DrawingContext*,
                                                  int, int, bool) {
    return false;
}
bool OVectorPath_Circle::FindNextTransitionPair(std::shared_ptr<OType_Image>, int, int, int, int,
                                                int, int, int, int, int, int, int, int&, OVector&,
                                                double&, int&, OVector&, double&,
                                                OType_DrawingContext*, int, int, int, bool) {
    return false;
}

bool OVectorPath_Circle_Float::FindNextTransition(std::shared_ptr<OType_Image>, int, int, int, int&,
                                                  OVector&, double&, OType_DrawingContext*, int,
                                                  int) {
    return false;
}
bool OVectorPath_Circle_Float::FindNextTransitionSingle(std::shared_ptr<OType_Image>, int, int, int,
                                                        int, int&, OVector&, double&,
                                                        OType_DrawingContext*, int, int, bool) {
    return false;
}
bool OVectorPath_Circle_Float::FindNextTransitionPair(std::shared_ptr<OType_Image>, int, int, int,
                                                      int, int, int, int, int, int, int, int, int&,
                                                      OVector&, double&, int&, OVector&, double&,
                                                      OType_DrawingContext*, int, int, int, bool) {
    return false;
}
