#include "command/Batch.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <unistd.h>

#include "image/ImageLoader.h"
#include "job/ToolError.h"

std::vector<std::string> ListImages(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        throw ToolError("cannot read folder '" + folder + "': " + error.message());
    }
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) {
            throw ToolError("cannot read folder '" + folder + "': " + error.message());
        }
        std::error_code typeError;
        if (it->is_regular_file(typeError) && IsImageFileName(it->path().string())) {
            files.push_back(it->path().string());
        }
    }
    if (error) {
        throw ToolError("cannot read folder '" + folder + "': " + error.message());
    }
    if (files.empty()) {
        throw ToolError("folder '" + folder +
                        "' holds no image (.png .tif .tiff .jpg .jpeg .bmp .pgm .ppm .pnm .gif)");
    }
    std::sort(files.begin(), files.end());
    return files;
}

ProgressLine::ProgressLine(std::size_t total)
    : m_total(total), m_bEnabled(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Show(std::size_t done, const std::string& name) {
    if (!m_bEnabled) {
        return;
    }
    const std::string text =
        "[" + std::to_string(done) + "/" + std::to_string(m_total) + "] " + name;
    // Pad over the rest of a longer previous line.
    const std::size_t padding = m_shownLength > text.size() ? m_shownLength - text.size() : 0;
    std::fprintf(stderr, "\r%s%s", text.c_str(), std::string(padding, ' ').c_str());
    std::fflush(stderr);
    m_shownLength = text.size();
}

void ProgressLine::Clear() {
    if (!m_bEnabled || m_shownLength == 0) {
        return;
    }
    std::fprintf(stderr, "\r%s\r", std::string(m_shownLength, ' ').c_str());
    std::fflush(stderr);
    m_shownLength = 0;
}
