# Checks that libedgedetection.so exports every function of the flat interface under its exact
# name, as the managed host's existing wrappers import them, and no overload number beyond the
# last one. Variables: NM (the nm program), LIBRARY (the shared library).

set(module NativeInterfaceTrevaskFoundationEdgeDetection)
set(prefix CSharp_NativeInterfacefTrevaskfFoundationfEdgeDetection_)

# Wrappers by name; "<name>:<n>" is an overload family numbered __SWIG_0 .. __SWIG_<n-1>.
set(methods GetObjectID GetObjectSize AddObjectData GetObjectData:2 DrawDirectionArrow
    DrawRotatedText GetPathType GetTransitionFunctionParams bCreateTransitionFunction
    IsInTransitionThreshold:2 CurrentPos CurrentVector CurrentAngle_Rad:2 Reset MoveNext:2
    MoveNextRaster:2 MovePrev MovePrevRaster MoveStart MoveEnd MoveTo GetCount GetStartVector
    GetEndVector GetVectorAt:3 GetAngle_RadAt:4 GetVectorPath GetVectorPathRaster
    FindNextTransition FindNextTransitionSingle FindNextTransitionPair ShiftPath TurnPath:2
    RotatePath:2)
list(TRANSFORM methods PREPEND OVectorPath_)
set(wrappers new_OCannyEdge delete_OCannyEdge delete_OVectorPath new_OVector_Regression
    delete_OVector_Regression OCannyEdge_bFindCannyEdgeTransitions:2 ${methods})

set(expected SWIGRegisterExceptionCallbacks_${module}
    SWIGRegisterExceptionArgumentCallbacks_${module} SWIGRegisterStringCallback_${module}
    SWIGRegisterU16StringCallback_${module})
# The host gets paths from native code: the base class has no constructor.
set(unexpected ${prefix}new_OVectorPath___)
foreach(wrapper IN LISTS wrappers)
    if(wrapper MATCHES "^(.+):([0-9]+)$")
        math(EXPR last "${CMAKE_MATCH_2} - 1")
        foreach(n RANGE ${last})
            list(APPEND expected ${prefix}${CMAKE_MATCH_1}__SWIG_${n}___)
        endforeach()
        list(APPEND unexpected ${prefix}${CMAKE_MATCH_1}___
            ${prefix}${CMAKE_MATCH_1}__SWIG_${CMAKE_MATCH_2}___)
    else()
        list(APPEND expected ${prefix}${wrapper}___)
    endif()
endforeach()

# nm's output, one symbol name per list element (the last field of each line). If nm fails,
# every expected name is reported missing.
execute_process(COMMAND "${NM}" -D --defined-only "${LIBRARY}" OUTPUT_VARIABLE symbols)
string(REGEX MATCHALL "[^ \n]+\n" names "${symbols}")
list(TRANSFORM names STRIP)

set(missing ${expected})
list(REMOVE_ITEM missing ${names})
set(absent ${unexpected})
list(REMOVE_ITEM absent ${names})
set(present ${unexpected})
list(REMOVE_ITEM present ${absent} "")
if(missing OR present)
    message(FATAL_ERROR "missing exports: ${missing}\nunexpected exports: ${present}")
endif()
