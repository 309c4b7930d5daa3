// How the C# proxies hold native objects, and what a native exception becomes.
//
// Included by EdgeDetection.i before any class is wrapped. Nothing here changes an export's name,
// numbering or argument form; it changes what the proxies do around a call and adds a catch to
// every wrapper.
//
// Disposed proxies. SWIG's proxies keep the native pointer in a field that Dispose() sets to
// null, and pass that null on to the next call, where native code dereferences it. Here the
// field is read through a property that throws ObjectDisposedException once the proxy has been
// disposed, so calling a method of a disposed object, or passing it as an argument, fails in
// managed code before anything crosses the boundary. Dispose() itself may be called any number
// of times. A null argument (as opposed to a disposed one) still reaches the wrapper as a null
// handle and is answered by the argument-null callback, as the flat interface specifies.
//
// Native exceptions. The library throws nothing of its own, but its collections and result lists
// can: std::bad_alloc when memory runs out, std::length_error for a count no collection can hold.
// Every wrapper catches whatever escapes and hands it to the managed side as a pending exception
// of the matching kind; the wrapper then returns its 0, as after a null reference. A wrapper that
// returns normally behaves exactly as it did without the catch.
//
// Both raising functions answer an empty callback table by raising nothing: a host that never
// registered its callbacks sees the wrapper's 0 instead of a call through a null pointer.

// Proxy classes are partial, so that the hand-written C# beside this file (src/binding/csharp/)
// adds members to them.
%typemap(csclassmodifiers) SWIGTYPE "public partial class"

// EDGEDETECTION_PROXY_BODY: the handle and the ownership flag OWN of a class that has no wrapped
// base; EDGEDETECTION_DERIVED_PROXY_BODY: the handle of a derived class, whose base proxy holds
// the upcast pointer and the ownership. getCPtr of a disposed argument throws as well.
%define EDGEDETECTION_CHECKED_HANDLE
  // Released by Dispose(); a disposed proxy throws instead of passing a null pointer on.
  private global::System.Runtime.InteropServices.HandleRef swigCPtrValue;

  private global::System.Runtime.InteropServices.HandleRef swigCPtr {
    get {
      if (swigCPtrValue.Handle == global::System.IntPtr.Zero) {
        throw new global::System.ObjectDisposedException(GetType().Name);
      }
      return swigCPtrValue;
    }
  }

  internal static global::System.Runtime.InteropServices.HandleRef getCPtr($csclassname obj) {
    return (obj == null) ? new global::System.Runtime.InteropServices.HandleRef(null, global::System.IntPtr.Zero) : obj.swigCPtr;
  }
%enddef

#define EDGEDETECTION_DISPOSE_DOC "/// <summary>Releases the native object: deletes it when this proxy owns it.</summary>\n  "

%define EDGEDETECTION_DISPOSE(OWN, BASE_CALL)
    lock(this) {
      if (swigCPtrValue.Handle != global::System.IntPtr.Zero) {
        if (OWN) {
          OWN = false;
          $imcall;
        }
        swigCPtrValue = new global::System.Runtime.InteropServices.HandleRef(null, global::System.IntPtr.Zero);
      }
      BASE_CALL
    }
%enddef

%define EDGEDETECTION_PROXY_BODY(OWN_DECLARATION, OWN, TYPE...)
%typemap(csbody) TYPE %{
  EDGEDETECTION_CHECKED_HANDLE
  OWN_DECLARATION

  internal $csclassname(global::System.IntPtr cPtr, bool cMemoryOwn) {
    OWN = cMemoryOwn;
    swigCPtrValue = new global::System.Runtime.InteropServices.HandleRef(this, cPtr);
  }
%}
%typemap(csdisposing, methodname="Dispose", methodmodifiers=EDGEDETECTION_DISPOSE_DOC "protected", parameters="bool disposing") TYPE {
  EDGEDETECTION_DISPOSE(OWN, )
  }
%enddef

%define EDGEDETECTION_DERIVED_PROXY_BODY(TYPE...)
%typemap(csbody_derived) TYPE %{
  EDGEDETECTION_CHECKED_HANDLE

  internal $csclassname(global::System.IntPtr cPtr, bool cMemoryOwn) : base($imclassname.$csclazznameSWIGUpcast(cPtr), cMemoryOwn) {
    swigCPtrValue = new global::System.Runtime.InteropServices.HandleRef(this, cPtr);
  }
%}
%typemap(csdisposing_derived, methodname="Dispose", methodmodifiers=EDGEDETECTION_DISPOSE_DOC "protected", parameters="bool disposing") TYPE {
  EDGEDETECTION_DISPOSE(swigCMemOwn, base.Dispose(disposing);)
  }
%enddef

// Plain proxies (paths, the algorithm classes, result objects).
EDGEDETECTION_PROXY_BODY(internal bool swigCMemOwn;, swigCMemOwn, SWIGTYPE)
EDGEDETECTION_DERIVED_PROXY_BODY(SWIGTYPE)

%typemap(csdispose) SWIGTYPE %{
  /// <summary>Releases the native object if Dispose was not called.</summary>
  ~$csclassname() {
    Dispose(false);
  }

  /// <summary>Releases the native object now instead of at garbage collection. Calls on the
  /// object afterwards throw <see cref="System.ObjectDisposedException"/>; further calls
  /// of Dispose do nothing.</summary>
  public void Dispose() {
    Dispose(true);
    global::System.GC.SuppressFinalize(this);
  }
%}

// Pointers to classes that are not wrapped (the drawing context): opaque handles made by native
// code only.
%typemap(csbody) SWIGTYPE *, SWIGTYPE & %{
  private global::System.Runtime.InteropServices.HandleRef swigCPtr;

  internal $csclassname(global::System.IntPtr cPtr, bool futureUse) {
    swigCPtr = new global::System.Runtime.InteropServices.HandleRef(this, cPtr);
  }

  internal static global::System.Runtime.InteropServices.HandleRef getCPtr($csclassname obj) {
    return (obj == null) ? new global::System.Runtime.InteropServices.HandleRef(null, global::System.IntPtr.Zero) : obj.swigCPtr;
  }
%}

// The module class holds nothing public.
%pragma(csharp) moduleclassmodifiers="internal class"

// %edgedetection_shared_ptr(TYPE): a class whose proxies hold a std::shared_ptr handle, with the
// checked body above instead of the body that %shared_ptr gives it.
%define %edgedetection_shared_ptr(TYPE...)
%shared_ptr(TYPE)
EDGEDETECTION_PROXY_BODY(private bool swigCMemOwnBase;, swigCMemOwnBase, TYPE)
%enddef

%{
#include <new>
#include <stdexcept>

// SWIG's raising functions call the callback table unconditionally; these answer an empty entry
// by raising nothing. Every wrapper raises through them.
static void EdgeDetectionRaiseException(SWIG_CSharpExceptionCodes code, const char* message) {
    const std::size_t index = static_cast<std::size_t>(code);
    const std::size_t count = sizeof(SWIG_csharp_exceptions) / sizeof(SWIG_csharp_exceptions[0]);
    if (index < count && SWIG_csharp_exceptions[index].callback != nullptr) {
        SWIG_csharp_exceptions[index].callback(message);
    }
}

static void EdgeDetectionRaiseArgumentException(SWIG_CSharpExceptionArgumentCodes code,
                                                const char* message, const char* paramName) {
    const std::size_t index = static_cast<std::size_t>(code);
    const std::size_t count =
        sizeof(SWIG_csharp_exceptions_argument) / sizeof(SWIG_csharp_exceptions_argument[0]);
    if (index < count && SWIG_csharp_exceptions_argument[index].callback != nullptr) {
        SWIG_csharp_exceptions_argument[index].callback(message, paramName);
    }
}
#define SWIG_CSharpSetPendingException EdgeDetectionRaiseException
#define SWIG_CSharpSetPendingExceptionArgument EdgeDetectionRaiseArgumentException

// The exception in flight, as the managed exception of its kind: memory exhaustion (and array
// sizes the allocator cannot represent) as OutOfMemoryException, a count beyond what a collection
// can hold as ArgumentOutOfRangeException, anything else as ApplicationException with its text.
static void EdgeDetectionRaiseCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc& e) {
        EdgeDetectionRaiseException(SWIG_CSharpOutOfMemoryException, e.what());
    } catch (const std::length_error& e) {
        EdgeDetectionRaiseArgumentException(SWIG_CSharpArgumentOutOfRangeException, e.what(),
                                            nullptr);
    } catch (const std::exception& e) {
        EdgeDetectionRaiseException(SWIG_CSharpApplicationException, e.what());
    } catch (...) {
        EdgeDetectionRaiseException(SWIG_CSharpApplicationException,
                                    "unknown exception in native code");
    }
}
%}

%exception {
  try {
    $action
  } catch (...) {
    EdgeDetectionRaiseCurrentException();
    return $null;
  }
}

