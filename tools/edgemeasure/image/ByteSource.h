#pragma once
// ByteSource: the bytes of an image file, read in order with the occasional jump, from a file on
// disk or from memory (standard input is read into memory first, since TIFF files are read out
// of order). The decoders see only this interface, so a file is never held twice: the decoded
// pixels are the one large copy.
//
//   FileSource file("part.tif");          // throws ToolError when it cannot be opened
//   std::size_t got = file.Read(buffer, 8);
//   file.Seek(0);

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Copies up to `size` bytes from the current position; answers how many it copied (fewer at
    // the end or on a read error).
    virtual std::size_t Read(void* data, std::size_t size) = 0;
    // Moves to an absolute position; false beyond the end.
    virtual bool Seek(std::uint64_t position) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual std::uint64_t Size() const = 0;
};

class MemorySource : public ByteSource {
  public:
    MemorySource(const unsigned char* data, std::size_t size) : m_data(data), m_size(size) {}
    std::size_t Read(void* data, std::size_t size) override;
    bool Seek(std::uint64_t position) override;
    std::uint64_t Position() const override { return m_position; }
    std::uint64_t Size() const override { return m_size; }

  private:
    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

class FileSource : public ByteSource {
  public:
    // `path` must name a regular file; `shownName` is how messages name it.
    FileSource(const std::string& path, const std::string& shownName);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t Read(void* data, std::size_t size) override;
    bool Seek(std::uint64_t position) override;
    std::uint64_t Position() const override;
    std::uint64_t Size() const override { return m_size; }

  private:
    std::FILE* m_file = nullptr;
    std::uint64_t m_size = 0;
};

// All of standard input (or any stream), for `edgemeasure measure -`.
std::vector<unsigned char> ReadAllOf(std::FILE* stream);
