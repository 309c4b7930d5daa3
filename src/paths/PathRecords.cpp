// Temporary: the storage of line and circle paths in byte streams replaces these placeholders.
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

unsigned int OVectorPath_Line::GetObjectID() const {
    return kObjectID;
}
std::uint64_t OVectorPath_Line::GetObjectSize() const {
    return 0;
}
bool OVectorPath_Line::AddObjectData(OByteStream& /*stream*/) {
    return false;
}
bool OVectorPath_Line::GetObjectData(OByteStream& /*stream*/, bool /*bFlag*/) {
    return false;
}

unsigned int OVectorPath_Circle::GetObjectID() const {
    return kObjectID;
}
std::uint64_t OVectorPath_Circle::GetObjectSize() const {
    return 0;
}
bool OVectorPath_Circle::AddObjectData(OByteStream& /*stream*/) {
    return false;
}
bool OVectorPath_Circle::GetObjectData(OByteStream& /*stream*/, bool /*bFlag*/) {
    return false;
}

unsigned int OVectorPath_Circle_Float::GetObjectID() const {
    return kObjectID;
}
std::uint64_t OVectorPath_Circle_Float::GetObjectSize() const {
    return 0;
}
bool OVectorPath_Circle_Float::AddObjectData(OByteStream& /*stream*/) {
    return false;
}
bool OVectorPath_Circle_Float::GetObjectData(OByteStream& /*stream*/, bool /*bFlag*/) {
    return false;
}
