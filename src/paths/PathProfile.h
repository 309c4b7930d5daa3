#pragma once
// PathProfile: the grey profile of the Canny transition function, read along the positions that a
// path lists (GetVectorPath), one grey value per position and the no-value marker outside the
// image. Internal to the transition function.
//
// For the library's line and circle paths the positions are generated in place, exactly as their
// GetVectorPath lists them, and the pixels are read directly: no point is allocated and no
// reference count touched. A class derived from one of them may list other positions through its
// own GetVectorPath; both reads leave such a path (and the polygon) to the caller, answering false.

#include "foundation/OType_Image.h"
#include "foundation/WritableCollection.h"

class OVectorPath;
class OVectorPath_Line;

class PathProfile {
  public:
    // The profile as grey bytes with two copies of the first value before it and two of the last
    // after it, as the Canny detector pads a segment. False, for the caller to read the profile
    // as ints instead, when a position lies outside the image (the profile would hold a marker),
    // when the path has no positions, or for a path that only its GetVectorPath knows.
    static bool ReadPaddedBytes(OVectorPath& path, const OType_Image& image,
                                WritableCollection<unsigned char>& padded);

    // The profile as ints, the no-value marker outside the image (resized to the number of listed
    // positions); false, nothing changed, for a path that only its GetVectorPath knows.
    static bool Read(OVectorPath& path, const OType_Image& image, WritableCollection<int>& profile);

  private:
    // Calls visit(rawX, rawY) for the listed positions of a line or circle path in order, while
    // visit answers true. Answers false without visiting for any other class, and when visit
    // stopped.
    template <class Visit>
    static bool ForEachListedPosition(OVectorPath& path, Visit visit);
    // The number of listed positions of a line or circle path, -1 for any other class.
    static int ListedCount(OVectorPath& path);
    // The grey bytes along a line whose first and last positions lie in the image (then all do),
    // without a test per position; false, for the general read, otherwise.
    static bool ReadLineInside(const OVectorPath_Line& line, const OType_Image& image,
                               unsigned char* out);
    // Whether every listed position can lie in the image (see the .cpp).
    static bool MayLieInImage(OVectorPath& path, const OType_Image& image);
};
