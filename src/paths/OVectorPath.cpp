#include "paths/OVectorPath.h"

OVectorPath::OVectorPath() {
    // Entry 0 of the history is written by every setup of the moving-mean types before it is
    // read; it starts as a marker too so that the object holds no indeterminate value.
    for (int& entry : m_iaHistory) {
        entry = kNoValue;
    }
}

OVectorPath::~OVectorPath() {
    m_iaCannyTransitions.RemoveAll();
}

void OVectorPath::GetTransitionFunctionParams(int& iType, int& iParam1, int& iParam2,
                                              int& iParam3) const {
    iType = m_iTransitionType;
    iParam1 = m_iTransitionParam1;
    iParam2 = m_iTransitionParam2;
    iParam3 = m_iTransitionParam3;
}

bool OVectorPath::CurrentPos(int& iPos) {
    iPos = m_iCurrentPos;
    return true;
}
