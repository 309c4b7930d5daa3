#pragma once
// PathObject: the Python side of a path (line, circle, single-precision circle).
//
// It owns one library path and serialises the calls on it: a path holds its position and its
// transition-function state and is used by one thread at a time, so every call takes the path's
// own lock, after giving up the interpreter lock. Calls on different paths (over one shared
// image among them) therefore run in parallel on several Python threads, while two threads
// that share one path take turns instead of corrupting it.

#include <pybind11/pybind11.h>

#include <memory>
#include <mutex>
#include <utility>

#include "paths/OVectorPath.h"

namespace pybinding {

class PathObject {
  public:
    explicit PathObject(std::unique_ptr<OVectorPath> path, bool isCircle)
        : m_path(std::move(path)), m_bIsCircle(isCircle) {}
    virtual ~PathObject() = default;
    PathObject(const PathObject&) = delete;
    PathObject& operator=(const PathObject&) = delete;

    // Runs f(path) without the interpreter lock and under the path's lock: f must not touch
    // Python objects. The path's lock is released before the interpreter lock is taken back
    // (reverse order of the guards), so a thread waiting for either never holds the other.
    template <class F>
    auto Run(F&& f) {
        pybind11::gil_scoped_release withoutInterpreterLock;
        std::lock_guard<std::mutex> pathLock(m_mutex);
        return f(*m_path);
    }

    bool IsCircle() const { return m_bIsCircle; }

  protected:
    OVectorPath& Path() { return *m_path; }

  private:
    std::unique_ptr<OVectorPath> m_path;
    bool m_bIsCircle;
    std::mutex m_mutex;
};

}  // namespace pybinding
