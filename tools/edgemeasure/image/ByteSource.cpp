#include "image/ByteSource.h"

#include <cerrno>
#include <cstring>

#include "job/ToolError.h"

std::size_t MemorySource::Read(void* data, std::size_t size) {
    const std::size_t count = std::min(size, m_size - m_position);
    if (count > 0) {
        std::memcpy(data, m_data + m_position, count);
    }
    m_position += count;
    return count;
}

bool MemorySource::Seek(std::uint64_t position) {
    if (position > m_size) {
        return false;
    }
    m_position = static_cast<std::size_t>(position);
    return true;
}

FileSource::FileSource(const std::string& path, const std::string& shownName) {
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) {
        throw ToolError("cannot read image '" + shownName + "': " + std::strerror(errno));
    }
    if (std::fseek(m_file, 0, SEEK_END) == 0) {
        const long end = std::ftell(m_file);
        m_size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
    std::fseek(m_file, 0, SEEK_SET);
}

FileSource::~FileSource() {
    std::fclose(m_file);
}

std::size_t FileSource::Read(void* data, std::size_t size) {
    return std::fread(data, 1, size, m_file);
}

bool FileSource::Seek(std::uint64_t position) {
    return position <= m_size && std::fseek(m_file, static_cast<long>(position), SEEK_SET) == 0;
}

std::uint64_t FileSource::Position() const {
    const long at = std::ftell(m_file);
    return at > 0 ? static_cast<std::uint64_t>(at) : 0;
}

std::vector<unsigned char> ReadAllOf(std::FILE* stream) {
    std::vector<unsigned char> bytes;
    constexpr std::size_t kChunk = 1 << 16;
    std::size_t filled = 0;
    while (true) {
        bytes.resize(filled + kChunk);
        const std::size_t got = std::fread(bytes.data() + filled, 1, kChunk, stream);
        filled += got;
        if (got < kChunk) {
            break;
        }
    }
    bytes.resize(filled);
    return bytes;
}
