cmake_minimum_required(VERSION 3.25)

# Checks that libedgedetection.so exports every function of the flat interface under its exact
# name, as the managed host's existing wrappers import them.
# Variables: NM (the nm program), LIBRARY (the shared library).

set(prefix CSharp_NativeInterfacefTrevaskfFoundationfEdgeDetection_)
set(module NativeInterfaceTrevaskFoundationEdgeDetection)

# Registration functions.
set(expected
    SWIGRegisterExceptionCallbacks_${module}
    SWIGRegisterExceptionArgumentCallbacks_${module}
    SWIGRegisterStringCallback_${module}
    SWIGRegisterU16StringCallback_${module})

# Construction and destruction.
foreach(name IN ITEMS new_OCannyEdge delete_OCannyEdge delete_OVectorPath new_OVector_Regression
        delete_OVector_Regression)
    list(APPEND expected ${prefix}${name}___)
endforeach()

# Method wrappers, overloads with their number.
foreach(name IN ITEMS
        OCannyEdge_bFindCannyEdgeTransitions__SWIG_0
        OCannyEdge_bFindCannyEdgeTransitions__SWIG_1
        OVectorPath_GetObjectID
        OVectorPath_GetObjectSize
        OVectorPath_AddObjectData
        OVectorPath_GetObjectData__SWIG_0
        OVectorPath_GetObjectData__SWIG_1
        OVectorPath_DrawDirectionArrow
        OVectorPath_DrawRotatedText
        OVectorPath_GetPathType
        OVectorPath_GetTransitionFunctionParams
        OVectorPath_bCreateTransitionFunction
        OVectorPath_IsInTransitionThreshold__SWIG_0
        OVectorPath_IsInTransitionThreshold__SWIG_1
        OVectorPath_CurrentPos
        OVectorPath_CurrentVector
        OVectorPath_CurrentAngle_Rad__SWIG_0
        OVectorPath_CurrentAngle_Rad__SWIG_1
        OVectorPath_Reset
        OVectorPath_MoveNext__SWIG_0
        OVectorPath_MoveNext__SWIG_1
        OVectorPath_MoveNextRaster__SWIG_0
        OVectorPath_MoveNextRaster__SWIG_1
        OVectorPath_MovePrev
        OVectorPath_MovePrevRaster
        OVectorPath_MoveStart
        OVectorPath_MoveEnd
        OVectorPath_MoveTo
        OVectorPath_GetCount
        OVectorPath_GetStartVector
        OVectorPath_GetEndVector
        OVectorPath_GetVectorAt__SWIG_0
        OVectorPath_GetVectorAt__SWIG_1
        OVectorPath_GetVectorAt__SWIG_2
        OVectorPath_GetAngle_RadAt__SWIG_0
        OVectorPath_GetAngle_RadAt__SWIG_1
        OVectorPath_GetAngle_RadAt__SWIG_2
        OVectorPath_GetAngle_RadAt__SWIG_3
        OVectorPath_GetVectorPath
        OVectorPath_GetVectorPathRaster
        OVectorPath_FindNextTransition
        OVectorPath_FindNextTransitionSingle
        OVectorPath_FindNextTransitionPair
        OVectorPath_ShiftPath
        OVectorPath_TurnPath__SWIG_0
        OVectorPath_TurnPath__SWIG_1
        OVectorPath_RotatePath__SWIG_0
        OVectorPath_RotatePath__SWIG_1)
    list(APPEND expected ${prefix}${name}___)
endforeach()

# No overload family may grow a number beyond the ones above, and the host has no path
# constructor of the base class.
set(unexpected
    ${prefix}OCannyEdge_bFindCannyEdgeTransitions___
    ${prefix}OCannyEdge_bFindCannyEdgeTransitions__SWIG_2___
    ${prefix}OVectorPath_GetObjectData__SWIG_2___
    ${prefix}OVectorPath_IsInTransitionThreshold__SWIG_2___
    ${prefix}OVectorPath_CurrentAngle_Rad__SWIG_2___
    ${prefix}OVectorPath_MoveNext__SWIG_2___
    ${prefix}OVectorPath_MoveNextRaster__SWIG_2___
    ${prefix}OVectorPath_GetVectorAt__SWIG_3___
    ${prefix}OVectorPath_GetAngle_RadAt__SWIG_4___
    ${prefix}OVectorPath_TurnPath__SWIG_2___
    ${prefix}OVectorPath_RotatePath__SWIG_2___
    ${prefix}new_OVectorPath___)

execute_process(COMMAND "${NM}" -D --defined-only "${LIBRARY}"
    RESULT_VARIABLE result OUTPUT_VARIABLE symbols ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}: ${errors}")
endif()
# One symbol name per list element: the last field of each line of nm's output.
string(REGEX MATCHALL "[^ \n]+\n" names "${symbols}")
list(TRANSFORM names STRIP)

set(passed 0)
set(failed 0)
foreach(name IN LISTS expected)
    if(name IN_LIST names)
        math(EXPR passed "${passed} + 1")
    else()
        math(EXPR failed "${failed} + 1")
        message("missing export: ${name}")
    endif()
endforeach()
foreach(name IN LISTS unexpected)
    if(name IN_LIST names)
        math(EXPR failed "${failed} + 1")
        message("unexpected export: ${name}")
    else()
        math(EXPR passed "${passed} + 1")
    endif()
endforeach()

message("${passed} passed, ${failed} failed")
if(failed GREATER 0)
    message(FATAL_ERROR "the flat interface is incomplete")
endif()
