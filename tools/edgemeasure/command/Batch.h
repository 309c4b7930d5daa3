#pragma once
// Batch: the images of a folder and the progress line shown while they are measured.
//
//   for (const std::string& file : ListImages("parts/")) { ... }
//   ProgressLine progress(files.size());
//   progress.Show(3, "part-03.png");   // "[3/20] part-03.png" on a terminal, else nothing

#include <cstddef>
#include <string>
#include <vector>

// The image files (by IsImageFileName) directly in a folder, sorted by name. Throws ToolError
// when the folder cannot be read or holds no image.
std::vector<std::string> ListImages(const std::string& folder);

// A one-line progress display on standard error, redrawn in place; only when standard error is
// a terminal, so that logs and pipes stay clean.
class ProgressLine {
  public:
    explicit ProgressLine(std::size_t total);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(std::size_t done, const std::string& name);
    // Removes the line, so that a message can be written on a clean line.
    void Clear();

  private:
    std::size_t m_total;
    bool m_bEnabled;
    std::size_t m_shownLength = 0;
};
