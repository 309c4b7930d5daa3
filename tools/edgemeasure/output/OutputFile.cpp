#include "output/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include <sys/stat.h>
#include <unistd.h>

#include "job/ToolError.h"

namespace {

[[noreturn]] void FailWriting(const std::string& path, int error) {
    throw ToolError("cannot write '" + path + "': " + std::strerror(error));
}

// Writes all bytes to an open descriptor, resuming after partial writes and interruptions.
bool WriteAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void WriteBytesAtomically(const std::string& path, const char* data, std::size_t size) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        FailWriting(path, errno);
    }
    const bool written = WriteAll(descriptor, data, size);
    int error = written ? 0 : errno;
    if (::close(descriptor) != 0 && error == 0) {
        error = errno;
    }
    // mkstemp makes the file private (0600); a result file gets the usual permissions.
    const mode_t kResultMode = 0644;
    if (error == 0 && ::chmod(temporary.c_str(), kResultMode) != 0) {
        error = errno;
    }
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        std::remove(temporary.c_str());
        FailWriting(path, error);
    }
}

}  // namespace

void WriteFileAtomically(const std::string& path, const std::string& contents) {
    WriteBytesAtomically(path, contents.data(), contents.size());
}

void WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& contents) {
    WriteBytesAtomically(path, reinterpret_cast<const char*>(contents.data()), contents.size());
}

void MakeOutputFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error || !std::filesystem::is_directory(path)) {
        throw ToolError("cannot create folder '" + path +
                        "': " + (error ? error.message() : "not a folder"));
    }
}

bool IsStandardOutput(const std::string& path) {
    return path.empty() || path == kStandardOutput;
}

void WriteTextOutput(const std::string& text, const std::string& path) {
    if (IsStandardOutput(path)) {
        std::cout << text << std::flush;
    } else {
        WriteFileAtomically(path, text);
    }
}

void CheckOutputTarget(const std::string& path, const char* option) {
    if (IsStandardOutput(path)) {
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        throw ToolError(std::string(option) + ": folder '" + folder.string() + "' does not exist");
    }
    if (std::filesystem::is_directory(path, error)) {
        throw ToolError(std::string(option) + ": '" + path + "' is a folder, not a file");
    }
}
